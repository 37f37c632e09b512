# Read by cpack for each generator: the setup program gets its own name and
# takes the files without the zip's top-level folder.
if(CPACK_GENERATOR STREQUAL "NSIS")
  set(CPACK_PACKAGE_FILE_NAME "Korvid-${CPACK_PACKAGE_VERSION}-setup")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()
