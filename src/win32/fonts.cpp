#include "win32/fonts.h"

#include "base/wide_text.h"

const wchar_t kSongTi[] = L"\x5B8B\x4F53";

FontCache::~FontCache() {
  for (auto& [key, font] : fonts_) DeleteObject(font);
}

HFONT FontCache::Get(const ControlFont& font) {
  std::wstring face = font.face.empty() ? std::wstring(kSongTi) : WideFromGbk(font.face);
  // LOGFONT holds 31 characters of a face name; a longer one names no face.
  if (face.size() >= LF_FACESIZE) face = kSongTi;
  const int height = font.height > 0 ? font.height : kDefaultFontHeight;
  auto key = std::make_tuple(face, height, font.bold);
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  // A negative height asks for that many pixels of character height, without the
  // leading: what the layouts' "character height" means.
  HFONT made = CreateFontW(-height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                           GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face.c_str());
  if (!made) made = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  else fonts_.emplace(key, made);
  return made;
}
