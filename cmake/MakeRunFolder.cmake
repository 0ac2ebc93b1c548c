# Fills the run folder: the program under the seven names of its copies, each
# with a settings file that selects its operation. Existing settings files are
# kept, so a copy remembers its objective set between builds.
#   cmake -DPROGRAM=<path of the program> -DRUN_DIR=<folder> -P MakeRunFolder.cmake
set(COPIES
  "ADDIZIONI=1"
  "SOTTRAZIONI=2"
  "ADDSOTTRAZIONI=3"
  "MOLTIPLICAZIONI=4"
  "DIVISIONI=5"
  "MOLTDIVISIONI=6"
  "OPERAZIONI=7")

file(MAKE_DIRECTORY "${RUN_DIR}")
get_filename_component(program_name "${PROGRAM}" NAME)
foreach(copy IN LISTS COPIES)
  string(REPLACE "=" ";" parts "${copy}")
  list(GET parts 0 name)
  list(GET parts 1 kind)
  file(CREATE_LINK "${program_name}" "${RUN_DIR}/${name}" SYMBOLIC)
  if(NOT EXISTS "${RUN_DIR}/${name}.dat")
    string(ASCII 13 CR)
    file(WRITE "${RUN_DIR}/${name}.dat" " ${kind}  1  1 ${CR}\n")
  endif()
endforeach()
