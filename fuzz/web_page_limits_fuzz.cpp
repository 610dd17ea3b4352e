// Any HTML through the web box's page limits; what passes them goes to Qt's text
// layout at the box's width (offscreen), which must finish quickly: the limits are
// what keeps a hostile page from crashing or freezing the view.

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "ui/web_page_limits.h"

namespace {

// The box answers every resource itself; so does this document, and reads no file.
class Document : public QTextDocument {
 protected:
  QVariant loadResource(int type, const QUrl&) override {
    if (type == QTextDocument::ImageResource) {
      QImage pixel(1, 1, QImage::Format_ARGB32);
      pixel.fill(Qt::transparent);
      return pixel;
    }
    return QString(QLatin1Char(' '));
  }
};

constexpr qint64 kLayoutMs = 1000;

}  // namespace

// fontconfig keeps its caches for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

// Milliseconds the view takes to lay out and paint `html` at the box's size.
static qint64 LayoutMs(const QString& html) {
  QElapsedTimer timer;
  timer.start();
  Document document;
  document.setTextWidth(820);
  document.setHtml(html);
  document.documentLayout()->documentSize();
  QImage canvas(820, 128, QImage::Format_ARGB32);
  QPainter painter(&canvas);
  document.drawContents(&painter);
  return timer.elapsed();
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int qtArgc = 1;
  static char* qtArgv[] = {(*argv)[0], nullptr};
  (void)argc;
  new QGuiApplication(qtArgc, qtArgv);
  LayoutMs(QStringLiteral("<p>fonts are found once, before any page is timed</p>"));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view html(reinterpret_cast<const char*>(data), size);
  const WebPageMeasure m = MeasureWebPage(html);
  // Measuring itself stays within its bounds.
  if (m.depth > kWebPageMaxDepth + 1 || m.elements > kWebPageMaxElements + 1) std::abort();
  if (!WithinWebPageLimits(m)) return 0;
  const QString page = QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size()));
  // Timed twice when slow: the machine may have been busy with something else.
  qint64 ms = LayoutMs(page);
  if (ms > kLayoutMs) ms = std::min(ms, LayoutMs(page));
  if (ms > kLayoutMs) {
    std::fprintf(stderr, "a page within the limits took %lld ms to lay out\n", static_cast<long long>(ms));
    std::abort();
  }
  return 0;
}
