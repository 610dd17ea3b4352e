# The test programs of the lower floors, for Windows: GoogleTest is built here from
# Debian's sources, and each program runs whole under wine (scripts/wine-run), one
# CTest test per program.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Wine hands web addresses to the host's xdg-open: a stub first on PATH notes them instead,
# so no browser starts and the shell test sees what arrived.
set(stub_bin ${CMAKE_BINARY_DIR}/stub-bin)
file(WRITE ${stub_bin}/xdg-open "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$VINKABO_OPEN_LOG\"\n")
file(CHMOD ${stub_bin}/xdg-open PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

foreach(name base platform storage ui win32)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${name}/*.cpp)
  vk_for_this_system(srcs)
  if(NOT srcs OR NOT TARGET vk_${name})
    continue()
  endif()
  add_executable(test_${name} ${srcs})
  target_link_libraries(test_${name} PRIVATE vk_${name} gtest gtest_main gmock ws2_32)
  target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(test_${name} PRIVATE VK_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VK_BINARY_DIR="${CMAKE_BINARY_DIR}")
  if(name STREQUAL "win32")
    # Real windows, real dialogs: wine gets a private X server of its own.
    add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-x-run $<TARGET_FILE:test_${name}>)
  else()
    add_test(NAME ${name} COMMAND test_${name})
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT 900
    ENVIRONMENT "PATH=${stub_bin}:$ENV{PATH};VINKABO_OPEN_LOG=${stub_bin}/opened.txt")
endforeach()

# The same commands through the Linux edbtool and edbtool.exe leave the same bytes.
set(VK_LINUX_EDBTOOL ${CMAKE_SOURCE_DIR}/build/tools/edbtool/edbtool CACHE FILEPATH
    "The Linux edbtool that edbtool.exe is compared with")
if(TARGET edbtool)
  add_test(NAME edbtool_same_bytes
    COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/edbtool_same_bytes.sh ${VK_LINUX_EDBTOOL} $<TARGET_FILE:edbtool>)
  set_tests_properties(edbtool_same_bytes PROPERTIES TIMEOUT 300)
endif()

# The program from the unzipped package under wine on Xvfb, driven by xdotool: a Linux
# test program (built by `make windows` in the Linux build) with a wine prefix of its own.
set(VK_LINUX_BUILD ${CMAKE_SOURCE_DIR}/build CACHE PATH "The Linux build with test_wine_window")
if(TARGET vinkabo)
  add_test(NAME vinkabo_under_wine COMMAND ${VK_LINUX_BUILD}/test_wine_window)
  set_tests_properties(vinkabo_under_wine PROPERTIES TIMEOUT 600 ENVIRONMENT
    "VK_WINDOWS_PACKAGE=${CMAKE_BINARY_DIR}/vinkabo-windows.zip;VK_LINUX_EDBTOOL=${VK_LINUX_EDBTOOL};VK_WINEPREFIX=${CMAKE_BINARY_DIR}/wine-desktop;VK_APP_ICONS=${VK_LINUX_BUILD}/app-icons")
endif()

# The per-user setup (`make windows-installer`) under wine in a prefix made afresh each run:
# install, the installed program's window, an upgrade over the running program that keeps
# the user's data, uninstall. The version is the packages' own, as the setup's name has it.
file(STRINGS ${CMAKE_SOURCE_DIR}/cmake/package.cmake vk_version_line REGEX "^set\\(VK_VERSION ")
string(REGEX REPLACE "^set\\(VK_VERSION ([0-9.]+)\\)$" "\\1" vk_setup_version "${vk_version_line}")
if(TARGET vinkabo)
  add_test(NAME vinkabo_installer_under_wine COMMAND ${VK_LINUX_BUILD}/test_wine_installer)
  set_tests_properties(vinkabo_installer_under_wine PROPERTIES TIMEOUT 600 ENVIRONMENT
    "VK_WINDOWS_INSTALLER=${CMAKE_BINARY_DIR}/vinkabo-${vk_setup_version}-setup.exe;VK_WINDOWS_STAGE=${CMAKE_BINARY_DIR}/package/vinkabo;VK_LINUX_EDBTOOL=${VK_LINUX_EDBTOOL};VK_WINEPREFIX=${CMAKE_BINARY_DIR}/wine-installer")
endif()
