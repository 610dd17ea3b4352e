#pragma once
// The board's software compositor: the board is composed off-screen into an RGBA
// surface, only where it changed, and the peer shows the surface in one copy.

#include <cstdint>
#include <vector>

#include "ui/image.h"
#include "ui/sprite_board.h"

// An opaque picture of the whole board: width * height pixels, R, G, B, A bytes (A 255).
struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgba;
};

// Makes the surface the given size; its content is then undefined until composed.
void ResizeSurface(Surface& surface, int width, int height);

// Composes `area` (clipped to board and surface): the background colour and picture, then every
// visible sprite with a drawn image in list order, with its alpha, opacity and
// transparent colour.
void ComposeArea(const SpriteBoardModel& board, Surface& surface, BoardRect area);

// Composes what the board marked dirty and clears its marks; when the surface is not
// the board's size it is resized and composed whole. Returns the areas composed.
std::vector<BoardRect> ComposeDirty(SpriteBoardModel& board, Surface& surface);

// Scales a picture (every frame) to width x height. `exactColours` keeps every drawn
// pixel one of the source's (nearest pixel), which a transparent colour needs; otherwise
// the pixels are filtered.
Image ScaleImage(const Image& source, int width, int height, bool exactColours);
