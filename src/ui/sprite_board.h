#pragma once
// The sprite board: a drawing surface holding sprites (pictures or rendered texts at
// pixel positions), drawn in layer order over a background colour, hit-tested pixel
// by pixel, and reporting pointer events with the sprite's id.
//
// This is the toolkit-free model. The window layer's SpriteBoard control owns one and
// its peer (qt/board_widget.h) feeds pointer input in and paints what
// ui/compositor.h composes from it. Single-threaded: UI thread only.

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "base/bytes.h"
#include "base/text.h"
#include "ui/board_items.h"
#include "ui/board_key.h"
#include "ui/image.h"
#include "ui/text_rasterizer.h"

// Transparent-colour arguments and settings: a Colour (0x00BBGGRR) or one of these.
constexpr int kNoTransparentColour = -1;
constexpr int kTopLeftPixelColour = -2;  // the colour of the picture's top-left pixel

// A rectangle in board pixels.
struct BoardRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
};

// The settings of a sprite template (动画物体_*) that sprites copy at creation. Later
// changes to the template reach only sprites created afterwards.
struct SpriteTemplateSettings {
  // Design-time rectangle, read by the program for layout; the template is never drawn.
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  Text text;  // not empty: sprites show this text rendered instead of the picture
  SpriteFont font;
  Colour textColour = RgbColour(0, 0, 0);
  Bytes pictureBytes;  // as the program set them
  Image picture;       // decoded from pictureBytes (SetTemplatePicture)
  int transparentColour = kNoTransparentColour;  // or a Colour, or kTopLeftPixelColour
  int opacity = 0;                               // percent: 0 opaque, 100 invisible
  int scaleX = 1000;                             // per mille
  int scaleY = 1000;
  int layer = 0;
};

// Sets the template's picture bytes and decodes them (an undecodable file: no picture).
void SetTemplatePicture(SpriteTemplateSettings& tmpl, Bytes bytes);

struct Sprite {
  int id = 0;
  double x = 0;  // drawing and hit-testing use these truncated toward zero
  double y = 0;
  bool visible = true;
  Text name;
  int layer = 0;
  Image picture;  // decoded picture or rendered text; empty: shows nothing, not hit
  Text text;
  SpriteFont font;
  Colour textColour = RgbColour(0, 0, 0);
  int scaleX = 1000;  // per mille
  int scaleY = 1000;
  int transparentColour = kNoTransparentColour;  // a Colour or kNoTransparentColour
  int opacity = 0;                               // percent
  Image drawn;  // the picture after scaling: what is drawn and hit-tested

  BoardRect Rect() const;  // where `drawn` lies on the board
};

// Handlers of the board's events; an unset one ignores its event. Handlers may call
// any board operation, delete the sprite they are told about, or destroy the board.
struct SpriteBoardEvents {
  std::function<void(int sprite)> leftPressed;                 // 0: hit id or 0
  std::function<void(int sprite)> rightPressed;                // 1
  std::function<void(int sprite, int pressed)> leftReleased;   // 2
  std::function<void(int sprite)> rightReleased;               // 3
  std::function<void(int sprite)> doubleClicked;               // 4
  std::function<void(int sprite, int pressed)> pointerEntered; // 5
  std::function<void(int sprite, int pressed)> pointerLeft;    // 6
  std::function<void(int x, int y, int pressed)> pointerMoved; // 7
  std::function<void(int sprite)> toBeDeleted;                 // 10
  // A key pressed while the board's window is active; true when the board used it.
  std::function<bool(const BoardKey& key)> keyPressed;
};

class SpriteBoardModel {
 public:
  SpriteBoardModel(int width, int height, Colour background, TextRasterizer* rasterizer);
  SpriteBoardModel(const SpriteBoardModel&) = delete;
  SpriteBoardModel& operator=(const SpriteBoardModel&) = delete;
  ~SpriteBoardModel();

  // --- state, read freely; change through the operations below ---
  int width;
  int height;
  Colour background;
  Image backgroundPicture;  // drawn at the top-left over the colour; empty: none
  std::vector<Sprite> sprites;  // drawing order, bottom first
  int nextId = 1;
  int hovered = 0;   // sprite last reported entered; 0 none
  int pressed = 0;   // sprite the left button went down on; -1 on none; 0 not held
  bool disabled = false;  // true: pointer input is ignored, no events reported
  TextRasterizer* rasterizer;  // renders sprite texts; null: texts show nothing
  SpriteBoardEvents events;
  // What the sprites mean, for a screen reader (ui/board_items.h); unset: nothing.
  std::function<std::vector<BoardItem>()> describeItems;

  // --- operations ---
  // Creates a sprite from the template's current settings (null: an empty sprite)
  // and returns its id.
  int CreateObject(const SpriteTemplateSettings* tmpl, double x, double y, bool visible = true,
                   const Text& name = {});
  // Reports event 10 for each known id, then removes that sprite. Unknown ids are skipped.
  void DeleteObjects(const std::vector<int>& ids);
  void DeleteObject(int id) { DeleteObjects({id}); }
  // Replaces the text (and the font and colour when given) and re-renders it.
  void SetObjectText(int id, const Text& text, const std::optional<SpriteFont>& font = {},
                     const std::optional<Colour>& colour = {});
  // Replaces the picture with the decoded bytes; transparentColour as above.
  void SetObjectPicture(int id, const Bytes& bytes, int transparentColour = kNoTransparentColour);
  // The same with an already decoded picture (what SetObjectPicture does after decoding).
  void SetObjectImage(int id, Image picture, int transparentColour = kNoTransparentColour);
  int PictureWidth(int id) const;   // of the drawn image; 0 unknown or empty
  int PictureHeight(int id) const;
  // Per mille; a value <= 0, or a scale equal to the current one, changes nothing.
  void SetScale(int id, int scaleX, int scaleY);
  void SetScale(int id, int scale) { SetScale(id, scale, scale); }
  // Natural width of the template's current image: its rendered text when it has one,
  // else its decoded picture; 0 when neither.
  int TemplateWidth(const SpriteTemplateSettings& tmpl) const;
  void MoveObject(int id, double x, double y);
  void SetObjectVisible(int id, bool visible);
  void SetBackground(Colour colour);
  void SetBackgroundPicture(const Bytes& bytes);  // empty or undecodable: none
  // Changes the rasterizer and renders every text sprite again with it (sprites made
  // before a peer brought the real rasterizer then show their texts after all).
  void SetRasterizer(TextRasterizer* r);

  const Sprite* Find(int id) const;
  // Id of the topmost sprite whose drawn pixel at (x, y) is neither transparent nor the
  // sprite's transparent colour; -1 when none.
  int HitTest(int x, int y) const;

  // --- pointer input, fed by the peer (board pixels) ---
  void LeftButtonDown(int x, int y);
  void LeftButtonUp(int x, int y);
  // A double-click is a press as well: event 0, then event 4.
  void LeftDoubleClick(int x, int y);
  void RightButtonDown(int x, int y);
  void RightButtonUp(int x, int y);
  void PointerMove(int x, int y, bool leftHeld);
  // The pointer went off the board: the sprite last entered is left (event 6).
  void PointerLeftBoard();
  // The pointer is at (x, y) with no button held, wherever it came from: the sprite
  // last entered is left and the one under the point entered (events 6 and 5, no 7).
  // A press that no move came before (a modal box closed under the pointer, a panel
  // went away) calls this first, so the press lands on the sprite the program last
  // heard entered. False when a handler destroyed the board.
  bool PointerAt(int x, int y);

  // --- keys, fed by the peer: false when the board is disabled or did not use the key ---
  bool KeyPressed(const BoardKey& key) { return !disabled && events.keyPressed && events.keyPressed(key); }

  // --- repainting, read by the peer ---
  // Told every area that becomes dirty (already clipped), so the peer can schedule a
  // repaint; the areas also gather in Dirty() until TakeDirty.
  std::function<void(const BoardRect& area)> areaInvalidated;
  void Invalidate(BoardRect area);  // clipped to the board
  void InvalidateAll();
  const std::vector<BoardRect>& Dirty() const { return dirty_; }
  std::vector<BoardRect> TakeDirty();  // the areas to compose, cleared

  // Expires when the board is destroyed: a peer or a caller that ran a handler checks it.
  std::weak_ptr<void> Liveness() const { return alive_; }

 private:
  Sprite* FindMutable(int id);
  void RenderText(Sprite& sprite);
  void RebuildDrawn(Sprite& sprite);
  int HitOrZero(int x, int y) const;
  bool Hover(int x, int y);  // leave and enter for the point; false: board destroyed

  std::vector<BoardRect> dirty_;
  std::shared_ptr<int> alive_;
};
