#pragma once
// The file formats the program reads, written straight through libpng, libjpeg and
// giflib; wave files are simple enough to lay out by hand.

#include <cstdint>
#include <vector>

#include "base/bytes.h"
#include "canvas.h"

Bytes EncodePng(const Canvas& c);
// JPEG has no alpha: the picture is laid on `matte` first.
Bytes EncodeJpeg(const Canvas& c, int quality, Color matte);
// GIF has one transparent index and no partial alpha: nearly clear pixels become the
// transparent index, the rest are laid on `matte`, the colour the button will stand
// on, so soft edges still look right where it lands. The transparent entry itself also
// carries the matte colour, for viewers that ignore transparency.
Bytes EncodeGif(const Canvas& c, Color matte);
// Mono 16-bit PCM.
Bytes EncodeWav(const std::vector<std::int16_t>& samples, int sampleRate);
