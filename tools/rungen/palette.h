#pragma once
// One palette for the whole skin: deep blues for the frame, the board's own blue,
// warm gold for everything lit, green for adding, red for closing.

#include "canvas.h"

namespace palette {
inline const Color kBoard = Rgb(0x0060C0);  // the site board's own background
inline const Color kBar = Rgb(0x8080FF);    // the category bar's own background
inline const Color kNavy = Rgb(0x0B1D45);
inline const Color kDeep = Rgb(0x0F2F6B);
inline const Color kMid = Rgb(0x1D4F9E);
inline const Color kSky = Rgb(0x8EC5FF);
inline const Color kIce = Rgb(0xE8F2FF);
inline const Color kGoldLight = Rgb(0xFFF4C2);
inline const Color kGold = Rgb(0xFFC845);
inline const Color kAmber = Rgb(0xE8951C);
inline const Color kWhite = Rgb(0xFFFFFF);
inline const Color kInk = Rgb(0x10275A);
}  // namespace palette
