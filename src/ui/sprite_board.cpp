#include "ui/sprite_board.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "ui/compositor.h"

namespace {

// Calls a handler through a copy, so that a handler which destroys the board (and the
// stored function with it) still returns safely. False when the board is gone.
template <typename Fn, typename... Args>
bool Report(const std::weak_ptr<int>& token, const Fn& handler, Args... args) {
  if (!handler) return true;
  Fn call = handler;
  call(args...);
  return !token.expired();
}

int Truncate(double v) {
  // Positions far outside any board stay far outside, without overflowing int.
  v = std::clamp(v, -1e9, 1e9);
  return static_cast<int>(v);
}

bool Usable(const Image& img) {
  if (img.empty() || img.currentFrame < 0 ||
      img.currentFrame >= static_cast<int>(img.frames.size()))
    return false;
  const std::size_t need = static_cast<std::size_t>(img.width) * img.height * 4;
  for (const ImageFrame& f : img.frames)
    if (f.rgba.size() < need) return false;
  return true;
}

int TopLeftColour(const Image& img) {
  const std::uint8_t* p = img.pixels();
  return static_cast<int>(RgbColour(p[0], p[1], p[2]));
}

// Rounded to the nearest pixel. Bounded, so that a wild scale cannot ask for gigabytes.
constexpr long long kMaxDrawnSide = 4096;
int ScaledSize(int natural, int perMille) {
  long long s = (static_cast<long long>(natural) * perMille + 500) / 1000;
  return static_cast<int>(std::clamp(s, 1LL, kMaxDrawnSide));
}

BoardRect Union(const BoardRect& a, const BoardRect& b) {
  int l = std::min(a.left, b.left), t = std::min(a.top, b.top);
  int r = std::max(a.left + a.width, b.left + b.width);
  int btm = std::max(a.top + a.height, b.top + b.height);
  return {l, t, r - l, btm - t};
}

bool Touch(const BoardRect& a, const BoardRect& b) {
  return a.left <= b.left + b.width && b.left <= a.left + a.width && a.top <= b.top + b.height &&
         b.top <= a.top + a.height;
}

}  // namespace

void SetTemplatePicture(SpriteTemplateSettings& tmpl, Bytes bytes) {
  tmpl.pictureBytes = std::move(bytes);
  tmpl.picture = tmpl.pictureBytes.empty() ? Image{} : DecodePicture(tmpl.pictureBytes);
  if (!Usable(tmpl.picture)) tmpl.picture = Image{};
}

BoardRect Sprite::Rect() const {
  if (drawn.empty()) return {Truncate(x), Truncate(y), 0, 0};
  return {Truncate(x), Truncate(y), drawn.width, drawn.height};
}

SpriteBoardModel::SpriteBoardModel(int w, int h, Colour bg, TextRasterizer* r)
    : width(std::max(w, 0)), height(std::max(h, 0)), background(bg), rasterizer(r),
      alive_(std::make_shared<int>(0)) {
  InvalidateAll();
}

SpriteBoardModel::~SpriteBoardModel() = default;

const Sprite* SpriteBoardModel::Find(int id) const {
  if (id <= 0) return nullptr;
  for (const Sprite& s : sprites)
    if (s.id == id) return &s;
  return nullptr;
}

Sprite* SpriteBoardModel::FindMutable(int id) { return const_cast<Sprite*>(Find(id)); }

void SpriteBoardModel::RenderText(Sprite& s) {
  s.picture = Image{};
  if (s.text.empty() || !rasterizer) return;
  Image img = rasterizer->Render(s.text, s.font, s.textColour);
  if (Usable(img)) s.picture = std::move(img);
}

void SpriteBoardModel::RebuildDrawn(Sprite& s) {
  if (!Usable(s.picture)) {
    s.drawn = Image{};
    return;
  }
  if (s.scaleX == 1000 && s.scaleY == 1000) {
    s.drawn = s.picture;
    return;
  }
  s.drawn = ScaleImage(s.picture, ScaledSize(s.picture.width, s.scaleX),
                       ScaledSize(s.picture.height, s.scaleY),
                       s.transparentColour != kNoTransparentColour);
}

int SpriteBoardModel::CreateObject(const SpriteTemplateSettings* tmpl, double x, double y,
                                   bool visible, const Text& name) {
  Sprite s;
  s.id = nextId++;
  s.x = x;
  s.y = y;
  s.visible = visible;
  s.name = name;
  int transparent = kNoTransparentColour;
  if (tmpl) {
    s.text = tmpl->text;
    s.font = tmpl->font;
    s.textColour = tmpl->textColour;
    if (Usable(tmpl->picture)) s.picture = tmpl->picture;
    transparent = tmpl->transparentColour;
    s.opacity = std::clamp(tmpl->opacity, 0, 100);
    s.scaleX = tmpl->scaleX > 0 ? tmpl->scaleX : 1000;
    s.scaleY = tmpl->scaleY > 0 ? tmpl->scaleY : 1000;
    s.layer = tmpl->layer;
  }
  if (!s.text.empty()) RenderText(s);
  if (transparent == kTopLeftPixelColour)
    s.transparentColour = s.picture.empty() ? kNoTransparentColour : TopLeftColour(s.picture);
  else if (transparent >= 0)
    s.transparentColour = transparent & 0xFFFFFF;
  RebuildDrawn(s);

  // Above every sprite of a lower or equal layer: the later one of a layer lies on top.
  auto at = std::find_if(sprites.begin(), sprites.end(),
                         [&](const Sprite& o) { return o.layer > s.layer; });
  at = sprites.insert(at, std::move(s));
  Invalidate(at->Rect());
  return at->id;
}

void SpriteBoardModel::DeleteObjects(const std::vector<int>& ids) {
  // The handler of event 10 may change the caller's list; work on a copy.
  const std::vector<int> list = ids;
  const std::weak_ptr<int> token = alive_;
  for (int id : list) {
    if (!Find(id)) continue;
    if (!Report(token, events.toBeDeleted, id)) return;
    auto it = std::find_if(sprites.begin(), sprites.end(),
                           [id](const Sprite& s) { return s.id == id; });
    if (it == sprites.end()) continue;  // the handler deleted it already
    Invalidate(it->Rect());
    sprites.erase(it);
  }
}

void SpriteBoardModel::SetObjectText(int id, const Text& text,
                                     const std::optional<SpriteFont>& font,
                                     const std::optional<Colour>& colour) {
  Sprite* s = FindMutable(id);
  if (!s) return;
  Invalidate(s->Rect());
  s->text = text;
  if (font) s->font = *font;
  if (colour) s->textColour = *colour;
  RenderText(*s);
  RebuildDrawn(*s);
  Invalidate(s->Rect());
}

void SpriteBoardModel::SetObjectPicture(int id, const Bytes& bytes, int transparentColour) {
  if (!Find(id)) return;
  SetObjectImage(id, bytes.empty() ? Image{} : DecodePicture(bytes), transparentColour);
}

void SpriteBoardModel::SetObjectImage(int id, Image picture, int transparentColour) {
  Sprite* s = FindMutable(id);
  if (!s) return;
  Invalidate(s->Rect());
  s->picture = Image{};
  s->drawn = Image{};
  s->transparentColour = kNoTransparentColour;
  if (!Usable(picture)) return;  // nothing to show, nothing to hit
  s->picture = std::move(picture);
  if (transparentColour == kTopLeftPixelColour)
    s->transparentColour = TopLeftColour(s->picture);
  else if (transparentColour >= 0)
    s->transparentColour = transparentColour & 0xFFFFFF;
  RebuildDrawn(*s);
  Invalidate(s->Rect());
}

int SpriteBoardModel::PictureWidth(int id) const {
  const Sprite* s = Find(id);
  return s && !s->drawn.empty() ? s->drawn.width : 0;
}

int SpriteBoardModel::PictureHeight(int id) const {
  const Sprite* s = Find(id);
  return s && !s->drawn.empty() ? s->drawn.height : 0;
}

void SpriteBoardModel::SetScale(int id, int scaleX, int scaleY) {
  Sprite* s = FindMutable(id);
  if (!s) return;
  const int nx = scaleX > 0 ? scaleX : s->scaleX;
  const int ny = scaleY > 0 ? scaleY : s->scaleY;
  if (nx == s->scaleX && ny == s->scaleY) return;
  Invalidate(s->Rect());
  s->scaleX = nx;
  s->scaleY = ny;
  RebuildDrawn(*s);
  Invalidate(s->Rect());
}

int SpriteBoardModel::TemplateWidth(const SpriteTemplateSettings& tmpl) const {
  if (!tmpl.text.empty()) {
    if (!rasterizer) return 0;
    Image img = rasterizer->Render(tmpl.text, tmpl.font, tmpl.textColour);
    return Usable(img) ? img.width : 0;
  }
  return Usable(tmpl.picture) ? tmpl.picture.width : 0;
}

void SpriteBoardModel::MoveObject(int id, double x, double y) {
  Sprite* s = FindMutable(id);
  if (!s) return;
  Invalidate(s->Rect());
  s->x = x;
  s->y = y;
  Invalidate(s->Rect());
}

void SpriteBoardModel::SetObjectVisible(int id, bool visible) {
  Sprite* s = FindMutable(id);
  if (!s || s->visible == visible) return;
  s->visible = visible;
  Invalidate(s->Rect());
}

void SpriteBoardModel::SetBackground(Colour colour) {
  if (background == colour) return;
  background = colour;
  InvalidateAll();
}

void SpriteBoardModel::SetBackgroundPicture(const Bytes& bytes) {
  backgroundPicture = bytes.empty() ? Image{} : DecodePicture(bytes);
  if (!Usable(backgroundPicture)) backgroundPicture = Image{};
  InvalidateAll();
}

void SpriteBoardModel::SetRasterizer(TextRasterizer* r) {
  rasterizer = r;
  for (Sprite& s : sprites) {
    // Only texts that could not be drawn; a picture set since then stays.
    if (s.text.empty() || !s.picture.empty()) continue;
    Invalidate(s.Rect());
    RenderText(s);
    RebuildDrawn(s);
    Invalidate(s.Rect());
  }
}

int SpriteBoardModel::HitTest(int x, int y) const {
  for (auto it = sprites.rbegin(); it != sprites.rend(); ++it) {
    const Sprite& s = *it;
    // An invisible sprite is not there for the user, so it takes no pointer either.
    if (!s.visible || s.drawn.empty()) continue;
    const BoardRect r = s.Rect();
    const long long dx = static_cast<long long>(x) - r.left;
    const long long dy = static_cast<long long>(y) - r.top;
    if (dx < 0 || dy < 0 || dx >= r.width || dy >= r.height) continue;
    const std::uint8_t* p = s.drawn.pixels() + (dy * r.width + dx) * 4;
    if (p[3] == 0) continue;
    if (s.transparentColour >= 0 &&
        static_cast<int>(RgbColour(p[0], p[1], p[2])) == s.transparentColour)
      continue;
    return s.id;
  }
  return -1;
}

int SpriteBoardModel::HitOrZero(int x, int y) const {
  const int h = HitTest(x, y);
  return h > 0 ? h : 0;
}

void SpriteBoardModel::LeftButtonDown(int x, int y) {
  if (disabled) return;
  pressed = HitTest(x, y);
  Report(std::weak_ptr<int>(alive_), events.leftPressed, pressed > 0 ? pressed : 0);
}

void SpriteBoardModel::LeftButtonUp(int x, int y) {
  if (disabled) return;
  if (!Report(std::weak_ptr<int>(alive_), events.leftReleased, HitOrZero(x, y), pressed)) return;
  pressed = 0;
}

void SpriteBoardModel::LeftDoubleClick(int x, int y) {
  if (disabled) return;
  const std::weak_ptr<int> token = alive_;
  pressed = HitTest(x, y);
  if (!Report(token, events.leftPressed, pressed > 0 ? pressed : 0)) return;
  if (disabled) return;  // the press handler may have disabled the board
  Report(token, events.doubleClicked, HitOrZero(x, y));
}

void SpriteBoardModel::RightButtonDown(int x, int y) {
  if (disabled) return;
  Report(std::weak_ptr<int>(alive_), events.rightPressed, HitOrZero(x, y));
}

void SpriteBoardModel::RightButtonUp(int x, int y) {
  if (disabled) return;
  Report(std::weak_ptr<int>(alive_), events.rightReleased, HitOrZero(x, y));
}

bool SpriteBoardModel::Hover(int x, int y) {
  const std::weak_ptr<int> token = alive_;
  if (pressed > 0 && !Find(pressed)) pressed = -1;
  if (hovered > 0 && !Find(hovered)) hovered = 0;  // deleted under the pointer: no leave
  const int h = HitTest(x, y);
  if (hovered > 0 && h != hovered) {
    if (!Report(token, events.pointerLeft, hovered, pressed)) return false;
    hovered = 0;
  }
  if (h > 0 && h != hovered) {
    hovered = h;
    if (!Report(token, events.pointerEntered, h, pressed)) return false;
  }
  return true;
}

void SpriteBoardModel::PointerMove(int x, int y, bool leftHeld) {
  if (disabled) return;
  const std::weak_ptr<int> token = alive_;
  if (!leftHeld) pressed = 0;
  if (!Hover(x, y)) return;
  Report(token, events.pointerMoved, x, y, pressed);
}

bool SpriteBoardModel::PointerAt(int x, int y) {
  if (disabled) return true;
  pressed = 0;
  return Hover(x, y);
}

void SpriteBoardModel::PointerLeftBoard() {
  if (disabled) return;
  if (hovered > 0 && !Find(hovered)) hovered = 0;
  if (hovered <= 0) return;
  if (!Report(std::weak_ptr<int>(alive_), events.pointerLeft, hovered, pressed)) return;
  hovered = 0;
}

void SpriteBoardModel::Invalidate(BoardRect a) {
  // Clip to the board.
  const long long l = std::max(0, a.left), t = std::max(0, a.top);
  const long long r = std::min<long long>(width, static_cast<long long>(a.left) + a.width);
  const long long b = std::min<long long>(height, static_cast<long long>(a.top) + a.height);
  if (r <= l || b <= t) return;
  BoardRect area{static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l),
                 static_cast<int>(b - t)};
  if (areaInvalidated) areaInvalidated(area);
  // Overlapping or touching areas merge, so a page rebuild ends as a few large areas.
  for (std::size_t i = 0; i < dirty_.size();) {
    if (Touch(dirty_[i], area)) {
      area = Union(dirty_[i], area);
      dirty_.erase(dirty_.begin() + static_cast<long>(i));
      i = 0;
    } else {
      ++i;
    }
  }
  dirty_.push_back(area);
  if (dirty_.size() > 16) {
    BoardRect all = dirty_[0];
    for (const BoardRect& d : dirty_) all = Union(all, d);
    dirty_.assign(1, all);
  }
}

void SpriteBoardModel::InvalidateAll() { Invalidate({0, 0, width, height}); }

std::vector<BoardRect> SpriteBoardModel::TakeDirty() {
  std::vector<BoardRect> out;
  out.swap(dirty_);
  return out;
}
