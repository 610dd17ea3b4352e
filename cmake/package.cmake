# Installing and packaging. `make install` and the .deb share one layout under a prefix:
#   bin/vinkabo                the launcher: the user's own run directory, then the program
#   lib/vinkabo/               the template: the program beside its shipped data (read only)
#   share/applications/, share/metainfo/, share/icons/hicolor/*/apps/vinkabo.png
#   share/doc/vinkabo/
# The portable .tar.gz is a run directory in one folder that starts wherever it is unpacked.
# Two install components keep the two apart: "system" for the prefix layout, "portable".
if(NOT TARGET vinkabo OR NOT TARGET rungen)
  return()
endif()

set(VK_VERSION 1.0.0)
# Packaging needs only the program, its data and its icon (the Makefile builds those):
# CPack must not build the tests first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(VK_APP_ID com.vinkabo.Vinkabo)
set(pkg ${CMAKE_SOURCE_DIR}/packaging/linux)

# The program's icon at the icon theme's sizes, drawn by the generator.
set(app_icons ${CMAKE_BINARY_DIR}/app-icons)
add_custom_command(OUTPUT ${app_icons}/48x48/apps/vinkabo.png
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${app_icons}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
    $<TARGET_FILE:rungen> --app-icons ${app_icons}
  DEPENDS rungen
  COMMENT "Drawing the program's icon"
  VERBATIM)
add_custom_target(app_icons ALL DEPENDS ${app_icons}/48x48/apps/vinkabo.png)

# Debian wants its changelog compressed without a time stamp, so equal inputs give equal bytes.
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.Debian)
file(WRITE ${changelog}
  "vinkabo (${VK_VERSION}-1) unstable; urgency=medium\n\n"
  "  * Debian package: a menu entry, the program's icon, and a run directory of\n"
  "    each user's own in ~/.local/share/vinkabo.\n\n"
  " -- Vinkabo developers <packages@vinkabo.com>  Wed, 09 Dec 2026 12:00:00 +0000\n")
execute_process(COMMAND gzip -9nf ${changelog})

# --- the prefix layout (make install, .deb) ---
set(data_perms OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(dir_perms OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(TARGETS vinkabo RUNTIME DESTINATION lib/vinkabo COMPONENT system)
# The shipped tables are read by every user's launcher, so the template holds them
# readable; each user's copy of them is theirs alone (0600).
install(DIRECTORY ${VK_RUN_DIR}/ DESTINATION lib/vinkabo COMPONENT system
  FILE_PERMISSIONS ${data_perms} DIRECTORY_PERMISSIONS ${dir_perms}
  PATTERN vinkabo EXCLUDE)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/launcher/vinkabo.sh DESTINATION bin RENAME vinkabo COMPONENT system)
# The record-file tool, for bringing bookmarks in and taking favorites out; named for the
# program, as a command of the whole system.
if(TARGET edbtool)
  install(PROGRAMS $<TARGET_FILE:edbtool> DESTINATION bin RENAME vinkabo-edbtool COMPONENT system)
  # Installed as a file, not a target, so CPack's stripping passes it by: stripped here.
  if(CMAKE_STRIP)
    install(CODE "execute_process(COMMAND ${CMAKE_STRIP} --strip-unneeded
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/vinkabo-edbtool\")" COMPONENT system)
  endif()
endif()
# The manual pages, kept in the tree as roff and installed compressed, without a time
# stamp, as Debian wants.
foreach(page vinkabo.1 vinkabo-edbtool.1)
  execute_process(COMMAND gzip -9nc ${pkg}/man/${page} OUTPUT_FILE ${CMAKE_BINARY_DIR}/packaging/${page}.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.gz DESTINATION share/man/man1 COMPONENT system
    PERMISSIONS ${data_perms})
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pkg}/man/vinkabo.1 ${pkg}/man/vinkabo-edbtool.1)
install(FILES ${pkg}/${VK_APP_ID}.desktop DESTINATION share/applications COMPONENT system)
install(FILES ${pkg}/${VK_APP_ID}.metainfo.xml DESTINATION share/metainfo COMPONENT system)
install(DIRECTORY ${app_icons}/ DESTINATION share/icons/hicolor COMPONENT system
  FILE_PERMISSIONS ${data_perms} DIRECTORY_PERMISSIONS ${dir_perms})
install(FILES ${pkg}/copyright ${changelog}.gz DESTINATION share/doc/vinkabo COMPONENT system)

# --- the portable folder ---
install(TARGETS vinkabo RUNTIME DESTINATION . COMPONENT portable)
install(DIRECTORY ${VK_RUN_DIR}/ DESTINATION . COMPONENT portable USE_SOURCE_PERMISSIONS
  PATTERN vinkabo EXCLUDE)
install(FILES ${pkg}/README.portable.txt DESTINATION . RENAME README.txt COMPONENT portable)
if(TARGET edbtool)
  install(PROGRAMS $<TARGET_FILE:edbtool> DESTINATION . COMPONENT portable)
endif()

# --- CPack: `make package` writes both ---
set(CPACK_PACKAGE_NAME vinkabo)
set(CPACK_PACKAGE_VERSION ${VK_VERSION})
set(CPACK_PACKAGE_VENDOR "Vinkabo")
set(CPACK_PACKAGE_CONTACT "Vinkabo developers <packages@vinkabo.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keeps web-site favorites and opens them with one click")
# The extended description under the summary; CPack indents it for the control file.
set(CPACK_COMPONENT_SYSTEM_DESCRIPTION "Vinkabo keeps a personal collection of web-site favorites in a skinned window:
a bar of categories, a board of site tiles thirty to a page, and one click to
open a site in the default web browser. Each favorite can keep the account and
password used on its site, behind an optional program password.

Every user's data stays in ~/.local/share/vinkabo, in record files compatible
with the Windows program.")
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package_per_generator.cmake)

set(CPACK_DEBIAN_SYSTEM_PACKAGE_NAME vinkabo)
set(CPACK_DEBIAN_SYSTEM_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the program links against, as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded by Qt at run time rather than linked: the Wayland platform, so the program runs
# natively on Wayland desktops.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
# Not linked, but what the program uses to show Chinese texts and to open sites.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-zenhei, xdg-utils")
set(CPACK_VINKABO_PORTABLE_NAME vinkabo-${VK_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})
include(CPack)

# The package built, installed into a scratch root and started as a new user would.
add_test(NAME package
  COMMAND bash ${pkg}/test/package_test.sh ${CMAKE_BINARY_DIR})
set_tests_properties(package PROPERTIES TIMEOUT 300)
