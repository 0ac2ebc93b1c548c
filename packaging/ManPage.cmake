# Runs inside `cmake --install`, after DesktopEntries.cmake (whose
# aritmetica_under_prefix it uses): writes the manual page, in English and
# in Italian, with the paths under this installation's prefix, and installs
# it. Set by the install code in CMakeLists.txt: ARITMETICA_LIBEXEC_DIR,
# ARITMETICA_DATA_DIR, ARITMETICA_MAN_DIR, ARITMETICA_MANPAGE_DIR (the
# configured templates), ARITMETICA_STAGING_DIR.

aritmetica_under_prefix("${ARITMETICA_LIBEXEC_DIR}" LIBEXEC_DIR)
aritmetica_under_prefix("${ARITMETICA_DATA_DIR}/aritmetica/server" SERVER_DIR)
aritmetica_under_prefix("${ARITMETICA_MAN_DIR}" man_dir)
# The paths sit inside text lines: roff needs only their backslashes and
# hyphens escaped.
foreach(path LIBEXEC_DIR SERVER_DIR)
  string(REPLACE "\\" "\\e" ${path} "${${path}}")
  string(REPLACE "-" "\\-" ${path} "${${path}}")
endforeach()
foreach(language IN ITEMS "" it)
  if(language)
    set(template "${ARITMETICA_MANPAGE_DIR}/aritmetica.${language}.1.in")
    set(destination "${man_dir}/${language}/man1")
  else()
    set(template "${ARITMETICA_MANPAGE_DIR}/aritmetica.1.in")
    set(destination "${man_dir}/man1")
  endif()
  set(manpage "${ARITMETICA_STAGING_DIR}/man/${language}/aritmetica.1")
  configure_file("${template}" "${manpage}" @ONLY)
  file(INSTALL DESTINATION "${destination}" TYPE FILE FILES "${manpage}")
endforeach()
