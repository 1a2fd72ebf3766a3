# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows installer and the portable zip, made by `cpack` in the Windows
# build folder (scripts/windows-package.sh builds them and tries them under
# Wine): lmx.exe with every DLL it needs beside it, so that it runs from any
# folder without Qt or the compiler installed.
#
# The DLLs are not a hand-kept list: at install time the PE imports of
# lmx.exe and of the Qt plug-ins it loads are followed (objdump) through the
# Qt for mingw and the compiler's run-time folders, recursively
# (cmake/InstallRuntimeDlls.cmake); what is not found there is the system's
# own (KERNEL32.dll, USER32.dll, ...). The plug-ins go into the folders Qt
# looks for beside the program.

set(LMX_MINGW_RUNTIME_DIRS "" CACHE STRING "Folders holding the compiler's run-time DLLs (libstdc++-6.dll, ...)")
if(NOT LMX_MINGW_RUNTIME_DIRS)
  # Where the compiler finds its own libraries: libgcc's folder and the
  # mingw-w64 root's lib folder.
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-libgcc-file-name
                  OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(libgcc_dir "${libgcc}" DIRECTORY)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
                  OUTPUT_VARIABLE winpthread OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(winpthread_dir "${winpthread}" DIRECTORY)
  set(LMX_MINGW_RUNTIME_DIRS "${libgcc_dir};${winpthread_dir}" CACHE STRING "" FORCE)
endif()
find_program(LMX_OBJDUMP NAMES ${CMAKE_CXX_LIBRARY_ARCHITECTURE}-objdump x86_64-w64-mingw32-objdump objdump REQUIRED)

# Platform: the window system; style: the look of Windows' own controls.
set(LMX_QT_PLUGINS Qt6::QWindowsIntegrationPlugin)
if(TARGET Qt6::QWindowsVistaStylePlugin)
  list(APPEND LMX_QT_PLUGINS Qt6::QWindowsVistaStylePlugin)
endif()
set(plugin_files)
foreach(plugin ${LMX_QT_PLUGINS})
  list(APPEND plugin_files "$<TARGET_FILE:${plugin}>")
  # platforms/qwindows.dll, styles/qwindowsvistastyle.dll: the plug-in's own folder name.
  install(FILES "$<TARGET_FILE:${plugin}>"
          DESTINATION "${CMAKE_INSTALL_BINDIR}/$<PATH:GET_FILENAME,$<TARGET_FILE_DIR:${plugin}>>"
          COMPONENT lmx)
endforeach()

install(CODE "
  set(LMX_EXECUTABLES \"$<TARGET_FILE:lmx>\")
  set(LMX_MODULES \"${plugin_files}\")
  set(LMX_DLL_DIRS \"$<TARGET_FILE_DIR:Qt6::Core>;${LMX_MINGW_RUNTIME_DIRS}\")
  set(LMX_OBJDUMP \"${LMX_OBJDUMP}\")
  set(LMX_STRIP \"${CMAKE_STRIP}\")
  set(LMX_WORK_DIR \"${CMAKE_BINARY_DIR}\")
  set(DESTINATION \"${CMAKE_INSTALL_BINDIR}\")
  include(\"${CMAKE_CURRENT_LIST_DIR}/InstallRuntimeDlls.cmake\")
" COMPONENT lmx)

# The program's icon for the installer and for Add/Remove Programs.
set(LMX_ICO ${CMAKE_BINARY_DIR}/app/lmx.ico)

set(CPACK_PACKAGE_NAME "Spectrometer LMX")
set(CPACK_PACKAGE_VENDOR "Lumetra")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Records optical spectra through the sound card's input")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Spectrometer LMX")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Spectrometer LMX")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
# Only the program and what it needs, whatever else has install rules.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};${PROJECT_NAME};lmx;/")
set(CPACK_GENERATOR NSIS ZIP)
# The Start-menu entry: bin\lmx.exe named "Spectrometer LMX".
set(CPACK_PACKAGE_EXECUTABLES lmx "Spectrometer LMX")
set(CPACK_NSIS_EXECUTABLES_DIRECTORY ${CMAKE_INSTALL_BINDIR})
set(CPACK_NSIS_PACKAGE_NAME "Spectrometer LMX ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "Spectrometer LMX")
set(CPACK_NSIS_MUI_ICON ${LMX_ICO})
set(CPACK_NSIS_MUI_UNIICON ${LMX_ICO})
set(CPACK_NSIS_INSTALLED_ICON_NAME "${CMAKE_INSTALL_BINDIR}\\\\lmx.exe")
set(CPACK_NSIS_MODIFY_PATH OFF)
# A 64-bit installer for a 64-bit program: it needs no 32-bit subsystem and
# installs into the 64-bit "Program Files". A 32-bit Windows does not start
# it and says so itself.
# On a Windows older than 10 the setup refuses with a message
# (SupportedWindows.nsh).
set(CPACK_NSIS_DEFINES "Target amd64-unicode
!include \\\"${CMAKE_CURRENT_LIST_DIR}/SupportedWindows.nsh\\\"")
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "Call RefuseUnsupportedSystem")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# lmx-<version>-setup.exe and lmx-<version>-portable.zip.
set(LMX_PACKAGE_NAMES ${CMAKE_BINARY_DIR}/WindowsPackageNames.cmake)
file(WRITE ${LMX_PACKAGE_NAMES} "
if(CPACK_GENERATOR STREQUAL \"NSIS\")
  set(CPACK_PACKAGE_FILE_NAME \"lmx-${PROJECT_VERSION}-setup\")
else()
  set(CPACK_PACKAGE_FILE_NAME \"lmx-${PROJECT_VERSION}-portable\")
endif()
")
set(CPACK_PROJECT_CONFIG_FILE ${LMX_PACKAGE_NAMES})

include(CPack)
