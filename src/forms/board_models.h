#pragma once
// The models behind the sprite boards, sprite templates and the balloon tip live in
// ui/ (their own owners); the form controls only hold them. Until those land, these
// stand-ins keep the design-time settings the layouts give.

#include "base/bytes.h"
#include "base/text.h"

struct SpriteBoardModel {
  bool placeholder = true;
};

struct SpriteTemplateModel {
  explicit SpriteTemplateModel(Text t = {}) : text(std::move(t)) {}
  Text text;
  Bytes picture;
  int width = 0;
  int height = 0;
};

struct BalloonTipModel {
  bool placeholder = true;
};
