// Any HTML through the web box's page limits; what passes them goes to Qt's text
// layout at the box's width (offscreen), which must finish quickly: the limits are
// what keeps a hostile page from crashing or freezing the view.

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
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

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static int qtArgc = 1;
  static char* qtArgv[] = {(*argv)[0], nullptr};
  (void)argc;
  new QGuiApplication(qtArgc, qtArgv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view html(reinterpret_cast<const char*>(data), size);
  const WebPageMeasure m = MeasureWebPage(html);
  // Measuring itself stays within its bounds.
  if (m.depth > kWebPageMaxDepth + 1 || m.elements > kWebPageMaxElements + 1) std::abort();
  if (!WithinWebPageLimits(m)) return 0;
  QElapsedTimer timer;
  timer.start();
  Document document;
  document.setTextWidth(820);
  document.setHtml(QString::fromUtf8(html.data(), static_cast<qsizetype>(html.size())));
  document.documentLayout()->documentSize();
  QImage canvas(820, 128, QImage::Format_ARGB32);
  QPainter painter(&canvas);
  document.drawContents(&painter);
  const qint64 ms = timer.elapsed();
  if (ms > kLayoutMs) {
    std::fprintf(stderr, "a page within the limits took %lld ms to lay out\n", static_cast<long long>(ms));
    std::abort();
  }
  return 0;
}
