# Fills the run folder: the program under the names of its copies, each
# pupils' copy with a settings file that selects its operation. Existing settings files are
# kept, so a copy remembers its objective set between builds.
#   cmake -DPROGRAM=<path of the program> -DRUN_DIR=<folder> -P MakeRunFolder.cmake
include(${CMAKE_CURRENT_LIST_DIR}/Copies.cmake)

file(MAKE_DIRECTORY "${RUN_DIR}")
get_filename_component(program_name "${PROGRAM}" NAME)
foreach(copy IN LISTS ARITMETICA_COPIES)
  string(REPLACE "|" ";" parts "${copy}")
  list(GET parts 0 name)
  list(GET parts 1 kind)
  file(CREATE_LINK "${program_name}" "${RUN_DIR}/${name}" SYMBOLIC)
  if(NOT kind STREQUAL "-" AND NOT EXISTS "${RUN_DIR}/${name}.dat")
    string(ASCII 13 CR)
    file(WRITE "${RUN_DIR}/${name}.dat" " ${kind}  1  1 ${CR}\n")
  endif()
endforeach()
