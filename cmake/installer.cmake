# Korvid-<version>-setup.exe: a 64-bit, per-user setup program built by
# CPack's NSIS generator from cmake/NSIS.template.in (the project's own
# template; CPack finds it on CMAKE_MODULE_PATH). It installs what the zip
# holds, keeps an existing config.ini, registers the logon start, the
# Start-menu entry and the entry in the user's installed programs, and closes
# a running suite with korvid_close.exe before it replaces or removes files.
# Included by cmake/install.cmake before include(CPack).
find_program(KORVID_MAKENSIS makensis)
if(KORVID_MAKENSIS)
  list(APPEND CPACK_GENERATOR NSIS)
endif()
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})

set(CPACK_PACKAGE_VENDOR "Korvid")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# Read by the template: the helper that closes the suite, embedded in the
# setup program and its uninstaller (not installed).
set_target_properties(korvid_close PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/installer)
set(CPACK_KORVID_CLOSE_EXE ${CMAKE_BINARY_DIR}/installer/korvid_close.exe)
set(CPACK_KORVID_ICON ${CMAKE_SOURCE_DIR}/resources/korvid.ico)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/installer_cpack.cmake)
