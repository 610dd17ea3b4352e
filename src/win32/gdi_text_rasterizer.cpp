// Sprite texts drawn by GDI: white on black into a DIB section, whose brightness then
// becomes the alpha of the text's own colour on a transparent picture.

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/wide_text.h"
#include "win32/gdi_font.h"
#include "win32/parts.h"

namespace {

std::vector<std::wstring> Lines(const Text& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find('\n', start);
    std::string_view line(text.data() + start, (end == Text::npos ? text.size() : end) - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(WideFromGbk(line));
    if (end == Text::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::wstring GdiFaceName(const SpriteFont& font) {
  // An empty name, or one too long for a face name, selects the default face.
  if (font.name.empty() || font.name.size() >= 32) return L"宋体";
  return WideFromGbk(font.name);
}

HFONT CreateSpriteFont(const SpriteFont& font) {
  const int height = std::clamp(font.height > 0 ? font.height : 12, 1, 512);
  return CreateFontW(-height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic ? TRUE : FALSE,
                     font.underline ? TRUE : FALSE, font.strikeOut ? TRUE : FALSE,
                     static_cast<DWORD>(font.charSet & 0xFF), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     // Crisp, as the bitmap faces draw small CJK text: soft edges would leave
                     // half-transparent fringes that are hit like ink.
                     NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, GdiFaceName(font).c_str());
}

Image GdiTextRasterizer::Render(const Text& text, const SpriteFont& font, Colour colour) {
  if (text.empty()) return {};
  const std::vector<std::wstring> lines = Lines(text);

  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return {};
  HFONT hfont = CreateSpriteFont(font);
  HGDIOBJ oldFont = SelectObject(dc, hfont ? static_cast<HGDIOBJ>(hfont) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const int lineSpacing = tm.tmHeight + tm.tmExternalLeading;
  int width = 0;
  for (const std::wstring& l : lines) {
    SIZE extent{};
    if (!l.empty() && GetTextExtentPoint32W(dc, l.data(), static_cast<int>(l.size()), &extent))
      width = std::max(width, static_cast<int>(extent.cx));
  }
  if (width > 0) width += tm.tmOverhang;  // the slant of a synthesised italic
  const int height = tm.tmHeight + (static_cast<int>(lines.size()) - 1) * lineSpacing;

  Image out;
  if (width > 0 && height > 0) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
      const size_t pixels = static_cast<size_t>(width) * height;
      std::memset(bits, 0, pixels * 4);
      HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, RGB(255, 255, 255));
      SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
      for (size_t i = 0; i < lines.size(); ++i)
        if (!lines[i].empty())
          TextOutW(dc, 0, static_cast<int>(i) * lineSpacing, lines[i].data(), static_cast<int>(lines[i].size()));
      GdiFlush();
      out.width = width;
      out.height = height;
      out.frames.resize(1);
      std::vector<std::uint8_t>& rgba = out.frames[0].rgba;
      rgba.resize(pixels * 4);
      const auto* src = static_cast<const std::uint8_t*>(bits);
      for (size_t p = 0; p < pixels; ++p) {
        // Ink coverage: white text on black, so any channel tells; take the brightest.
        const std::uint8_t coverage = std::max({src[p * 4], src[p * 4 + 1], src[p * 4 + 2]});
        rgba[p * 4] = static_cast<std::uint8_t>(ColourRed(colour));
        rgba[p * 4 + 1] = static_cast<std::uint8_t>(ColourGreen(colour));
        rgba[p * 4 + 2] = static_cast<std::uint8_t>(ColourBlue(colour));
        rgba[p * 4 + 3] = coverage;
      }
      SelectObject(dc, oldBitmap);
    }
    if (bitmap) DeleteObject(bitmap);
  }
  SelectObject(dc, oldFont);
  if (hfont) DeleteObject(hfont);
  DeleteDC(dc);
  return out;
}
