// GIF87a/89a through giflib, record by record rather than DGifSlurp, so that frame
// sizes are checked before giflib allocates for them. Every frame is composited
// onto the logical screen with its transparency, and the previous frame's disposal
// is applied first, the way browsers play it.

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "ui/picture_formats.h"

namespace {

struct GifInput {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos;
};

int ReadFromMemory(GifFileType* gif, GifByteType* out, int n) {
  auto* in = static_cast<GifInput*>(gif->UserData);
  if (n < 0) return 0;
  std::size_t k = std::min<std::size_t>(static_cast<std::size_t>(n), in->size - in->pos);
  std::memcpy(out, in->data + in->pos, k);
  in->pos += k;
  return static_cast<int>(k);
}

struct Closer {
  GifFileType* gif;
  ~Closer() {
    int err;
    if (gif) DGifCloseFile(gif, &err);
  }
};

struct Rect {
  int x0, y0, x1, y1;  // clipped to the screen, x1/y1 exclusive
};

void ClearRect(std::vector<std::uint8_t>& canvas, int screenW, const Rect& r) {
  for (int y = r.y0; y < r.y1; ++y)
    std::memset(&canvas[(static_cast<std::size_t>(y) * screenW + r.x0) * 4], 0,
                static_cast<std::size_t>(r.x1 - r.x0) * 4);
}

bool SkipExtension(GifFileType* gif, GraphicsControlBlock& gcb, bool& haveGcb) {
  int code;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
    if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) haveGcb = true;
  }
  while (block) {
    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) return false;
  }
  return true;
}

}  // namespace

Image DecodeGif(const std::uint8_t* data, std::size_t size) {
  GifInput input{data, size, 0};
  int err = 0;
  Closer closer{DGifOpen(&input, ReadFromMemory, &err)};
  GifFileType* gif = closer.gif;
  if (!gif) return Image();
  const int sw = gif->SWidth, sh = gif->SHeight;
  const std::int64_t screen = static_cast<std::int64_t>(sw) * sh;
  // An LZW code stands for at most one pixel more than the code before it, and never
  // more than 4096: n bytes fill at most n * n pixels, and 4096 * n. A screen the file
  // could never fill is refused.
  const std::int64_t bytes = static_cast<std::int64_t>(size);
  if (!PictureSizeAllowed(sw, sh) || !DataCanFill(screen, size, std::min<std::int64_t>(4096, bytes)))
    return Image();
  // Every kept frame is a whole screen: a long animation of tiny frames keeps its first few.
  const std::int64_t keptPixels = std::min(kMaxAnimationPixels, kAnimationScreens * screen + 16 * kFreePixels);

  Image image;
  image.width = sw;
  image.height = sh;
  std::vector<std::uint8_t> canvas(static_cast<std::size_t>(sw) * sh * 4, 0);
  std::vector<std::uint8_t> saved;  // the screen before the last frame, for "restore previous"
  std::vector<GifPixelType> line;
  GraphicsControlBlock gcb{};
  bool haveGcb = false;
  int lastDisposal = DISPOSAL_UNSPECIFIED;
  Rect lastRect{0, 0, 0, 0};
  std::int64_t pixelsSoFar = 0;

  for (;;) {
    GifRecordType type;
    // Many files lack the closing ';': after a whole frame, the end of the data ends the picture.
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) {
      if (input.pos == input.size && !image.frames.empty()) break;
      return Image();
    }
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      if (!SkipExtension(gif, gcb, haveGcb)) return Image();
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) return Image();
    if (DGifGetImageDesc(gif) == GIF_ERROR) return Image();
    const GifImageDesc& d = gif->Image;
    if (!PictureSizeAllowed(d.Width, d.Height)) return Image();
    pixelsSoFar += screen;
    if (pixelsSoFar > keptPixels && !image.frames.empty()) break;  // a long animation shows its first frames
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    if (!map || !map->Colors) return Image();

    // The previous frame's disposal happens now, before this one is drawn.
    if (lastDisposal == DISPOSE_BACKGROUND) ClearRect(canvas, sw, lastRect);
    else if (lastDisposal == DISPOSE_PREVIOUS && !saved.empty()) canvas = saved;
    int disposal = haveGcb ? gcb.DisposalMode : DISPOSAL_UNSPECIFIED;
    int transparent = haveGcb ? gcb.TransparentColor : NO_TRANSPARENT_COLOR;
    if (disposal == DISPOSE_PREVIOUS) saved = canvas;

    Rect r{std::max(0, d.Left), std::max(0, d.Top), std::min(sw, d.Left + d.Width),
           std::min(sh, d.Top + d.Height)};
    if (r.x1 < r.x0) r.x1 = r.x0;
    if (r.y1 < r.y0) r.y1 = r.y0;
    line.resize(d.Width);
    // Interlaced frames arrive in four passes; row k of the data is image row order[k].
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    int pass = 0, nextRow = 0;
    for (int k = 0; k < d.Height; ++k) {
      int row = k;
      if (d.Interlace) {
        while (nextRow >= d.Height) nextRow = kStart[++pass];
        row = nextRow;
        nextRow += kStep[pass];
      }
      if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR) return Image();
      int y = d.Top + row;
      if (y < r.y0 || y >= r.y1) continue;
      std::uint8_t* out = &canvas[static_cast<std::size_t>(y) * sw * 4];
      for (int x = r.x0; x < r.x1; ++x) {
        int index = line[x - d.Left];
        if (index == transparent || index >= map->ColorCount) continue;
        const GifColorType& c = map->Colors[index];
        std::uint8_t* p = out + static_cast<std::size_t>(x) * 4;
        p[0] = c.Red, p[1] = c.Green, p[2] = c.Blue, p[3] = 255;
      }
    }
    ImageFrame frame;
    frame.rgba = canvas;
    frame.delayMs = haveGcb ? gcb.DelayTime * 10 : 0;
    image.frames.push_back(std::move(frame));
    lastDisposal = disposal;
    lastRect = r;
    haveGcb = false;  // a control block belongs to the one frame that follows it
  }
  if (image.frames.empty()) return Image();
  return image;
}
