# Runs inside `cmake --install`, after DesktopEntries.cmake (whose
# aritmetica_under_prefix it uses): writes the manual page with the
# launcher's path under this installation's prefix, and installs it.
# Set by the install code in CMakeLists.txt: ARITMETICA_LIBEXEC_DIR,
# ARITMETICA_MAN_DIR, ARITMETICA_MANPAGE_TEMPLATE, ARITMETICA_STAGING_DIR.

aritmetica_under_prefix("${ARITMETICA_LIBEXEC_DIR}" LIBEXEC_DIR)
aritmetica_under_prefix("${ARITMETICA_MAN_DIR}" man_dir)
# The path sits inside text lines: roff needs only its backslashes and
# hyphens escaped.
string(REPLACE "\\" "\\e" LIBEXEC_DIR "${LIBEXEC_DIR}")
string(REPLACE "-" "\\-" LIBEXEC_DIR "${LIBEXEC_DIR}")
set(manpage "${ARITMETICA_STAGING_DIR}/man/aritmetica.1")
configure_file("${ARITMETICA_MANPAGE_TEMPLATE}" "${manpage}" @ONLY)
file(INSTALL DESTINATION "${man_dir}/man1" TYPE FILE FILES "${manpage}")
