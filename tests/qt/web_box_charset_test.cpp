// The advert page's text encoding: the header's charset, else the page's own <meta>,
// else UTF-8. The author's pages are GBK and often say so only in the page.

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <string>

#include "base/text.h"
#include "platform/local_http_server.h"
#include "qt/web_box_view.h"
#include "qt_test_support.h"

namespace {

std::string Reply(const std::string& contentType, const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: " + contentType + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

// The text the box shows for `body` served with `contentType`.
QString Shown(const std::string& contentType, const std::string& body) {
  TestApp();
  LocalHttpServer server(Reply(contentType, body));
  QWidget window;
  WebBoxView box(&window);
  int loaded = 0;
  box.onPageLoaded = [&] { ++loaded; };
  box.Load(AdvertPageUrl("127.0.0.1", server.port()));
  QEventLoop loop;
  QTimer limit;  // a generous bound on a stuck load, no timing check
  limit.setSingleShot(true);
  limit.start(10000);
  while (loaded == 0 && box.loading() && limit.isActive()) loop.processEvents(QEventLoop::WaitForMoreEvents, 50);
  EXPECT_EQ(loaded, 1) << contentType;
  return box.plainText();
}

const std::string kAdvert = "请点击广告";

TEST(WebBoxCharset, MetaCharsetGbkCountsWhenTheHeaderNamesNone) {
  EXPECT_EQ(Shown("text/html", "<html><head><meta charset=gbk></head><body>" + Utf8ToGbk(kAdvert) + "</body></html>"),
            QString::fromStdString(kAdvert));
}

TEST(WebBoxCharset, OldStyleMetaWithGb2312Counts) {
  EXPECT_EQ(Shown("text/html",
                  "<html><head><META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=GB2312\"></head><body>" +
                      Utf8ToGbk(kAdvert) + "</body></html>"),
            QString::fromStdString(kAdvert));
}

TEST(WebBoxCharset, TheHeadersCharsetWinsOverTheMeta) {
  EXPECT_EQ(Shown("text/html; charset=utf-8", "<html><head><meta charset=gbk></head><body>" + kAdvert + "</body></html>"),
            QString::fromStdString(kAdvert));
}

TEST(WebBoxCharset, APageNamingNoCharsetIsUtf8) {
  EXPECT_EQ(Shown("text/html", "<html><body>" + kAdvert + "</body></html>"), QString::fromStdString(kAdvert));
}

}  // namespace
