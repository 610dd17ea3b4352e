# The test programs of the lower floors, for Windows: GoogleTest is built here from
# Debian's sources, and each program runs whole under wine (scripts/wine-run), one
# CTest test per program.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# The table tests build their run directories through the browser tests' Linux fixture
# (host paths in UTF-8); the engine underneath is covered by the record-file tests.
set(linux_fixture_tests favorites_table_test.cpp settings_table_test.cpp)

foreach(name base platform storage ui win32)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${name}/*.cpp)
  vk_for_this_system(srcs)
  foreach(skip IN LISTS linux_fixture_tests)
    list(FILTER srcs EXCLUDE REGEX "/${skip}$")
  endforeach()
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
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endforeach()

# The same commands through the Linux edbtool and edbtool.exe leave the same bytes.
set(VK_LINUX_EDBTOOL ${CMAKE_SOURCE_DIR}/build/tools/edbtool/edbtool CACHE FILEPATH
    "The Linux edbtool that edbtool.exe is compared with")
if(TARGET edbtool)
  add_test(NAME edbtool_same_bytes
    COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/edbtool_same_bytes.sh ${VK_LINUX_EDBTOOL} $<TARGET_FILE:edbtool>)
  set_tests_properties(edbtool_same_bytes PROPERTIES TIMEOUT 300)
endif()
