# The install folder the suite expects, flat: Korvid.exe, lan.dll,
# hiddriver.dll, config.ini (on-screen display on), Option.exe (the
# customizer), FerroxOSD.exe (the on-screen display) and korvidctl.exe.
# `cpack --preset windows` (or cpack in build/windows) zips it.
set(KORVID_INSTALL_DRIVER "hid" CACHE STRING "hiddriver.dll in the install folder: hid (the mouse) or sim (simulated)")
set_property(CACHE KORVID_INSTALL_DRIVER PROPERTY STRINGS hid sim)
if(NOT TARGET hiddriver_${KORVID_INSTALL_DRIVER})
  message(FATAL_ERROR "KORVID_INSTALL_DRIVER=${KORVID_INSTALL_DRIVER}: no such driver library")
endif()

install(TARGETS Korvid RUNTIME DESTINATION .)
install(TARGETS lan LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(FILES $<TARGET_FILE:hiddriver_${KORVID_INSTALL_DRIVER}> DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/resources/config.ini DESTINATION .)
install(TARGETS korvidctl Option RUNTIME DESTINATION .)
# The on-screen display: the host starts it at every start-up; config.ini
# holds its settings.
install(TARGETS FerroxOSD RUNTIME DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Korvid)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Korvid-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# The setup program (NSIS) beside the zip.
include(${CMAKE_CURRENT_LIST_DIR}/installer.cmake)
include(CPack)
