# Runs inside `cmake --install`: writes one desktop entry per copy, pointing
# at the launcher under the prefix of this installation, and installs them.
# Set by the install code in CMakeLists.txt: ARITMETICA_COPIES,
# ARITMETICA_LIBEXEC_DIR, ARITMETICA_DATA_DIR, ARITMETICA_DESKTOP_TEMPLATE,
# ARITMETICA_STAGING_DIR.

# A directory given relative is relative to the prefix.
function(aritmetica_under_prefix dir out)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

# A desktop entry's string value: backslashes are escaped.
function(aritmetica_desktop_string value out)
  if(value MATCHES "[\n\r\t]")
    message(FATAL_ERROR "A desktop entry cannot name a path with a line break or tab: ${value}")
  endif()
  string(REPLACE "\\" "\\\\" value "${value}")
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# One argument of an Exec line: always in double quotes, so that spaces and
# the other reserved characters are taken literally; inside the quotes ", `,
# $ and \ take a backslash, a % is doubled, and then the whole line is a
# string value like any other.
function(aritmetica_exec_argument value out)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\\\"" value "${value}")
  string(REPLACE "`" "\\`" value "${value}")
  string(REPLACE "$" "\\$" value "${value}")
  string(REPLACE "%" "%%" value "${value}")
  set(${out} "\"${value}\"" PARENT_SCOPE)
endfunction()

aritmetica_under_prefix("${ARITMETICA_LIBEXEC_DIR}" libexec_dir)
aritmetica_under_prefix("${ARITMETICA_DATA_DIR}" data_dir)
set(launcher "${libexec_dir}/avvia")

if(launcher MATCHES "%")
  # GLib looks for the program before it turns %% back into %, and so does
  # not find it: such an entry is written as the format asks, but GNOME and
  # other GLib desktops will not show it.
  message(WARNING "The launcher's path contains '%', which GLib-based desktops cannot start: ${launcher}")
endif()
aritmetica_desktop_string("${launcher}" ENTRY_TRY_EXEC)
aritmetica_exec_argument("${launcher}" launcher_argument)

file(REMOVE_RECURSE "${ARITMETICA_STAGING_DIR}")
file(MAKE_DIRECTORY "${ARITMETICA_STAGING_DIR}")
set(entries)
foreach(copy IN LISTS ARITMETICA_COPIES)
  string(REPLACE "|" ";" fields "${copy}")
  list(GET fields 0 ENTRY_COPY)
  list(GET fields 1 kind)
  list(GET fields 2 ENTRY_NAME)
  list(GET fields 3 ENTRY_COMMENT)
  # The teacher's copy has no kind: its launcher writes no settings file.
  if(kind STREQUAL "-")
    aritmetica_desktop_string("${launcher_argument} ${ENTRY_COPY}" ENTRY_EXEC)
    set(ENTRY_ACTIONS "")
  else()
    aritmetica_desktop_string("${launcher_argument} ${ENTRY_COPY} ${kind}" ENTRY_EXEC)
    # A pupil's copy has an extra action: the same copy, worked from the keyboard.
    aritmetica_desktop_string("${launcher_argument} ${ENTRY_COPY} ${kind} --tastiera" keyboard_exec)
    set(ENTRY_ACTIONS "Actions=tastiera;\n\n[Desktop Action tastiera]\nName=con la tastiera\nExec=${keyboard_exec}\n")
  endif()
  string(TOLOWER "${ENTRY_COPY}" lower)
  set(entry "${ARITMETICA_STAGING_DIR}/aritmetica-${lower}.desktop")
  configure_file("${ARITMETICA_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
  list(APPEND entries "${entry}")
endforeach()

file(INSTALL DESTINATION "${data_dir}/applications" TYPE FILE FILES ${entries})
