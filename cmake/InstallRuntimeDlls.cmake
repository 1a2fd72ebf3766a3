# SPDX-License-Identifier: GPL-3.0-or-later
# Install-time step of the Windows packages (cmake/WindowsPackaging.cmake):
# copies every DLL that the given programs and plug-ins import, directly or
# through each other, from the given folders into DESTINATION, stripped.
#
# Input variables: LMX_EXECUTABLES, LMX_MODULES, LMX_DLL_DIRS, LMX_OBJDUMP,
# LMX_STRIP, LMX_WORK_DIR (a scratch folder), DESTINATION (below the install
# prefix).
#
# CMake matches imported DLL names in lower case, and this file system tells
# case, so the folders are first mirrored as lower-case links; what a link
# resolves to is the file that is copied, under its own name.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND "${LMX_OBJDUMP}")

set(names "${LMX_WORK_DIR}/dll-names")
file(REMOVE_RECURSE "${names}")
file(MAKE_DIRECTORY "${names}")
foreach(dir ${LMX_DLL_DIRS})
  file(GLOB dlls "${dir}/*.dll")
  foreach(dll ${dlls})
    get_filename_component(name "${dll}" NAME)
    string(TOLOWER "${name}" name)
    if(NOT EXISTS "${names}/${name}")  # the first folder that has it wins
      file(CREATE_LINK "${dll}" "${names}/${name}" SYMBOLIC)
    endif()
  endforeach()
endforeach()

file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES ${LMX_EXECUTABLES}
  MODULES ${LMX_MODULES}
  DIRECTORIES "${names}"
  PRE_EXCLUDE_REGEXES "^api-ms-" "^ext-ms-"
  RESOLVED_DEPENDENCIES_VAR found
  UNRESOLVED_DEPENDENCIES_VAR system)

set(target "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${DESTINATION}")
foreach(link ${found})
  file(REAL_PATH "${link}" dll)
  get_filename_component(name "${dll}" NAME)
  message(STATUS "Run-time DLL: ${name}")
  file(INSTALL "${dll}" DESTINATION "${target}")
  execute_process(COMMAND "${LMX_STRIP}" --strip-unneeded "${target}/${name}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
list(JOIN system " " system)
message(STATUS "From the system: ${system}")
