# One GoogleTest program per folder of tests/, linked against the layer of the same
# name (and so everything below it). tests/app holds the scenario tests.
find_package(GTest REQUIRED)
include(GoogleTest)
file(GLOB test_dirs LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/*)
foreach(dir IN LISTS test_dirs)
  if(NOT IS_DIRECTORY ${dir})
    continue()
  endif()
  get_filename_component(name ${dir} NAME)
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  vk_for_this_system(srcs)
  if(NOT srcs OR NOT TARGET vk_${name})
    continue()
  endif()
  add_executable(test_${name} ${srcs})
  target_link_libraries(test_${name} PRIVATE vk_${name} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(test_${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(test_${name} PRIVATE VK_SOURCE_DIR="${CMAKE_SOURCE_DIR}" VK_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # ScreenGrab is a tool kept in test_qt (the real-window test runs it to take its
  # picture, and so can anyone by hand): it checks nothing, so it is no test of the suite.
  gtest_discover_tests(test_${name} DISCOVERY_TIMEOUT 60 TEST_FILTER "-ScreenGrab.*"
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endforeach()

# The Windows program under wine on a real X server. It needs the Windows package, so the
# Windows build's tests run it (`make windows-test`), not this suite.
if(TARGET vk_forms)
  add_executable(test_wine_window ${CMAKE_SOURCE_DIR}/tests/windows/wine_window_test.cpp)
  target_link_libraries(test_wine_window PRIVATE vk_forms vk_ui GTest::gtest GTest::gtest_main)
  target_include_directories(test_wine_window PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(test_wine_window PRIVATE VK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  # The Windows setup, installed, upgraded and removed under wine (`make windows-test`).
  add_executable(test_wine_installer ${CMAKE_SOURCE_DIR}/tests/windows/wine_installer_test.cpp)
  target_link_libraries(test_wine_installer PRIVATE GTest::gtest GTest::gtest_main)
  target_include_directories(test_wine_installer PRIVATE ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(test_wine_installer PRIVATE VK_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
endif()
