#pragma once
// Pictures reach Qt only through the program's own decoders: no Qt image plug-in
// reads the program's files.

#include <QImage>

#include "base/bytes.h"
#include "ui/image.h"

// The current frame as an RGBA QImage (a deep copy); null for an empty Image.
QImage ToQImage(const Image& image);
// DecodePicture, then ToQImage: null when the bytes are empty or undecodable.
QImage DecodeToQImage(const Bytes& bytes);
