#pragma once
// The program's own icon (the generator's pictures, built into the program), for its
// windows, as the Windows program has it in its resources.

#include <QIcon>
#include <cstddef>
#include <vector>

struct EmbeddedPicture {
  const unsigned char* bytes;
  std::size_t size;
};

// PNG pictures of the icon at several sizes; defined by the build (app_icon_data.cpp).
const std::vector<EmbeddedPicture>& AppIconPictures();

// One icon of all the pictures that decode.
QIcon IconOf(const std::vector<EmbeddedPicture>& pictures);
