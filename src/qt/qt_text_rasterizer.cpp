#include "qt/qt_text_rasterizer.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstring>

namespace {

constexpr int kGb2312CharSet = 134;

const QString& ChineseFace() {
  static const QString face = [] {
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& f : chinese)
      if (f.startsWith(QLatin1String("WenQuanYi Zen Hei"))) return f;
    return chinese.isEmpty() ? QString() : chinese.first();
  }();
  return face;
}

}  // namespace

QString QtFontFamily(const SpriteFont& font) {
  if (font.name.empty() || font.name.size() >= 32) return ChineseFace();
  const QString name = QString::fromStdString(GbkToUtf8(font.name));
  if (QFontDatabase::hasFamily(name)) return name;
  const bool chineseName = std::any_of(font.name.begin(), font.name.end(),
                                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (chineseName || font.charSet == kGb2312CharSet) return ChineseFace();
  return name;  // Qt's own substitution finds something alike
}

Image QtTextRasterizer::Render(const Text& text, const SpriteFont& font, Colour colour) {
  if (text.empty()) return {};
  QStringList lines = QString::fromStdString(GbkToUtf8(text)).split(QLatin1Char('\n'));
  for (QString& l : lines)
    if (l.endsWith(QLatin1Char('\r'))) l.chop(1);

  QFont qf;
  const QString family = QtFontFamily(font);
  if (!family.isEmpty()) qf.setFamily(family);
  qf.setPixelSize(std::clamp(font.height > 0 ? font.height : 12, 1, 512));
  qf.setBold(font.bold);
  qf.setItalic(font.italic);
  qf.setUnderline(font.underline);
  qf.setStrikeOut(font.strikeOut);
  // Small CJK text reads best crisp, as the bitmap faces of Windows draw it; soft
  // edges would also leave half-transparent fringes that are hit like ink.
  qf.setStyleStrategy(QFont::NoAntialias);
  const QFontMetrics fm(qf);
  int width = 0;
  for (const QString& l : lines) width = std::max(width, fm.horizontalAdvance(l));
  const int height = fm.height() + (static_cast<int>(lines.size()) - 1) * fm.lineSpacing();
  if (width <= 0 || height <= 0) return {};

  QImage canvas(width, height, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  {
    QPainter p(&canvas);
    p.setFont(qf);
    p.setPen(QColor(ColourRed(colour), ColourGreen(colour), ColourBlue(colour)));
    for (int i = 0; i < lines.size(); ++i) p.drawText(0, i * fm.lineSpacing() + fm.ascent(), lines[i]);
  }
  const QImage rgba = canvas.convertToFormat(QImage::Format_RGBA8888);
  Image out;
  out.width = width;
  out.height = height;
  out.frames.resize(1);
  out.frames[0].rgba.resize(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    std::memcpy(out.frames[0].rgba.data() + static_cast<std::size_t>(y) * width * 4,
                rgba.constScanLine(y), static_cast<std::size_t>(width) * 4);
  return out;
}
