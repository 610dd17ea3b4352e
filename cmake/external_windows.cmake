# Outside libraries on Windows: static builds made once by scripts/build-windows-deps
# (libpng, libjpeg-turbo, giflib) and zlib from the mingw sysroot.
find_library(VK_PNG_LIB png REQUIRED)
find_library(VK_JPEG_LIB jpeg REQUIRED)
find_library(VK_GIF_LIB gif REQUIRED)
find_library(VK_Z_LIB z REQUIRED)
find_path(VK_DEPS_INCLUDE png.h REQUIRED)

if(TARGET vk_base)
  target_compile_definitions(vk_base PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
endif()
if(TARGET vk_platform)
  target_link_libraries(vk_platform PUBLIC wininet winmm shell32 Threads::Threads)
endif()
if(TARGET vk_ui)
  target_include_directories(vk_ui PUBLIC ${VK_DEPS_INCLUDE})
  target_link_libraries(vk_ui PUBLIC ${VK_PNG_LIB} ${VK_JPEG_LIB} ${VK_GIF_LIB} ${VK_Z_LIB} Threads::Threads)
endif()
