# The pinyin table of find-by-typing: tools/pinyingen turns Debian's Unihan readings
# (package unicode-data) into C++ at build time. The Windows build cannot run a program
# it builds, so it takes the table the Linux build made (`make windows` makes it first).
if(NOT TARGET vk_browser)
  return()
endif()
if(CMAKE_CROSSCOMPILING)
  set(VK_PINYIN_TABLE ${CMAKE_SOURCE_DIR}/build/pinyin/pinyin_table.cpp CACHE FILEPATH
      "The pinyin table made by the Linux build")
  if(NOT EXISTS ${VK_PINYIN_TABLE})
    message(FATAL_ERROR "No pinyin table at ${VK_PINYIN_TABLE}: build target pinyin_table in the Linux build first (make windows does).")
  endif()
  target_sources(vk_browser PRIVATE ${VK_PINYIN_TABLE})
  return()
endif()

find_file(VK_UNIHAN_READINGS NAMES Unihan_Readings.txt.bz2 Unihan_Readings.txt
  PATHS /usr/share/unicode NO_DEFAULT_PATH)
if(NOT VK_UNIHAN_READINGS)
  message(FATAL_ERROR "Unihan_Readings.txt not found in /usr/share/unicode: install Debian's unicode-data (scripts/install-deps).")
endif()
if(VK_UNIHAN_READINGS MATCHES "\\.bz2$")
  find_program(VK_BZCAT bzcat REQUIRED)
  set(unihan_reader ${VK_BZCAT})
else()
  set(unihan_reader cat)
endif()

add_executable(pinyingen ${CMAKE_SOURCE_DIR}/tools/pinyingen/main.cpp)
set(pinyin_table ${CMAKE_BINARY_DIR}/pinyin/pinyin_table.cpp)
add_custom_command(OUTPUT ${pinyin_table}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/pinyin
  COMMAND sh -c "\"$1\" \"$2\" | \"$3\" > \"$4.part\" && mv \"$4.part\" \"$4\"" pinyingen
    ${unihan_reader} ${VK_UNIHAN_READINGS} $<TARGET_FILE:pinyingen> ${pinyin_table}
  DEPENDS pinyingen ${VK_UNIHAN_READINGS}
  COMMENT "Making the pinyin table from the Unihan readings"
  VERBATIM)
add_custom_target(pinyin_table DEPENDS ${pinyin_table})
target_sources(vk_browser PRIVATE ${pinyin_table})
