# Writes OUT, a C++ file holding the program's icon pictures from the icon theme tree DIR
# (DIR/NxN/apps/vinkabo.png), so the program sets its own icon on its windows wherever
# it runs, installed or not.
file(GLOB pictures ${DIR}/*/apps/vinkabo.png)
list(SORT pictures)
set(arrays "")
set(entries "")
set(i 0)
foreach(picture IN LISTS pictures)
  file(READ ${picture} hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  file(SIZE ${picture} size)
  string(APPEND arrays "const unsigned char kPicture${i}[] = {${bytes}};\n")
  string(APPEND entries "    {kPicture${i}, ${size}},\n")
  math(EXPR i "${i} + 1")
endforeach()
file(WRITE ${OUT}.new
  "// Made by cmake/embed_app_icons.cmake from the generator's icons.\n"
  "#include \"qt/app_icon.h\"\n\nnamespace {\n${arrays}}  // namespace\n\n"
  "const std::vector<EmbeddedPicture>& AppIconPictures() {\n"
  "  static const std::vector<EmbeddedPicture> pictures = {\n${entries}  };\n"
  "  return pictures;\n}\n")
file(RENAME ${OUT}.new ${OUT})
