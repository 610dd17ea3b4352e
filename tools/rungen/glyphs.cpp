#include "glyphs.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {
std::unique_ptr<QGuiApplication> app;

// Qt's chatter (a missing runtime folder and the like) is no concern of a build step.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "rungen: %s\n", message.toLocal8Bit().constData());
}
}  // namespace

void StartGlyphs(int argc, char** argv) {
  // No display is needed or wanted: the generator runs inside the build.
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  qInstallMessageHandler(QuietQt);
  static int qt_argc = 1;
  static char* qt_argv[] = {argc > 0 ? argv[0] : const_cast<char*>("rungen"), nullptr};
  app = std::make_unique<QGuiApplication>(qt_argc, qt_argv);
}

void StopGlyphs() { app.reset(); }

Mask RenderText(const std::string& utf8, const TextStyle& style) {
  Mask m;
  if (utf8.empty()) return m;
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  QFont font(QString::fromStdString(style.family));
  font.setPixelSize(style.pixelSize);
  font.setBold(style.bold);
  font.setStyleStrategy(QFont::PreferAntialias);
  font.setHintingPreference(QFont::PreferNoHinting);
  QFontMetrics fm(font);
  int pad = 4;
  int w = fm.horizontalAdvance(text) + 2 * pad, h = fm.height() + 2 * pad;
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  {
    QPainter p(&img);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(pad, pad + fm.ascent(), text);
  }
  int x0 = w, y0 = h, x1 = -1, y1 = -1;
  for (int y = 0; y < h; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
    for (int x = 0; x < w; ++x)
      if (qAlpha(row[x]) > 0) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  }
  if (x1 < 0) return m;
  m.width = x1 - x0 + 1;
  m.height = y1 - y0 + 1;
  m.alpha.resize(static_cast<size_t>(m.width) * m.height);
  for (int y = 0; y < m.height; ++y) {
    const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y0 + y));
    for (int x = 0; x < m.width; ++x)
      m.alpha[static_cast<size_t>(y) * m.width + x] = qAlpha(row[x0 + x]) / 255.0f;
  }
  return m;
}

void DrawTextCentered(Canvas& canvas, const std::string& utf8, const TextStyle& style, float x,
                      float y, float w, float h, const Paint& paint, Color shadow, int shadowDx,
                      int shadowDy) {
  Mask m = RenderText(utf8, style);
  if (m.width == 0) return;
  int tx = static_cast<int>(std::lround(x + (w - m.width) / 2));
  int ty = static_cast<int>(std::lround(y + (h - m.height) / 2));
  if (shadow.a > 0) canvas.DrawMask(m, tx + shadowDx, ty + shadowDy, Solid(shadow));
  canvas.DrawMask(m, tx, ty, paint);
}
