// Any bytes through the GIF decoder and the signature dispatch: no crash, no hang,
// and a picture that comes back has as many pixels as it says.

#include <cstdlib>

#include "ui/image.h"
#include "ui/picture_formats.h"

static void Check(const Image& image) {
  if (image.empty()) return;
  for (const ImageFrame& f : image.frames)
    if (f.rgba.size() != static_cast<std::size_t>(image.width) * image.height * 4) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Check(DecodeGif(data, size));
  Check(DecodePicture(Bytes(data, data + size)));
  return 0;
}
