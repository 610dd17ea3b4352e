# CPack reads this once per generator: the .deb takes the prefix layout, the archive
# the portable folder.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_COMPONENTS_ALL system)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
else()
  # One folder, named as the archive, that starts wherever it is unpacked.
  set(CPACK_COMPONENTS_ALL portable)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_VINKABO_PORTABLE_NAME}")
  set(CPACK_ARCHIVE_PORTABLE_FILE_NAME "${CPACK_VINKABO_PORTABLE_NAME}")
endif()
