#include "qt/web_box_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWidget>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextCursor>
#include <QAbstractScrollArea>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>
#include <unistd.h>

#include "base/text.h"
#include "platform/local_http_server.h"
#include "qt_test_support.h"
#include "site_server.h"

namespace {


// An HTTP server on 127.0.0.1 in the test's own event loop. It answers a request only
// when told to, so a test can see that loading goes on in the background.
class PageServer {
 public:
  PageServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
          request_ += socket->readAll();
          if (request_.contains("\r\n\r\n")) waiting_ = socket;
          if (autoAnswer_ && waiting_) Answer();
        });
      }
    });
  }
  int port() const { return server_.serverPort(); }
  void SetPage(QByteArray contentType, QByteArray body, int status = 200) {
    contentType_ = std::move(contentType);
    body_ = std::move(body);
    status_ = status;
  }
  void SetAutoAnswer(bool on) { autoAnswer_ = on; }
  bool HasRequest() const { return waiting_ != nullptr; }
  QByteArray request() const { return request_; }
  void Answer() {
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(status_) + " X\r\nContent-Type: " + contentType_ +
                       "\r\nContent-Length: " + QByteArray::number(body_.size()) +
                       "\r\nConnection: close\r\n\r\n" + body_;
    waiting_->write(reply);
    waiting_->disconnectFromHost();
    waiting_ = nullptr;
  }

 private:
  QTcpServer server_;
  QByteArray request_, contentType_ = "text/html", body_;
  int status_ = 200;
  QPointer<QTcpSocket> waiting_;
  bool autoAnswer_ = true;
};

// Runs the event loop until `done` or a generous limit (the limit is no timing check).
template <typename Done>
bool RunUntil(Done done) {
  QEventLoop loop;
  QTimer limit;
  limit.setSingleShot(true);
  QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
  limit.start(10000);
  while (!done() && limit.isActive()) loop.processEvents(QEventLoop::WaitForMoreEvents, 50);
  return done();
}

TEST(WebBoxView, AdvertAddressKeepsItsPath) {
  QUrl url = AdvertPageUrl("ads.example.test", 8080);
  EXPECT_EQ(url.toString(), "http://ads.example.test:8080/rj_gg/Vinkabo.html");
}

TEST(WebBoxView, LoadsInTheBackgroundAndReportsThePage) {
  TestApp();
  PageServer server;
  server.SetAutoAnswer(false);
  server.SetPage("text/html; charset=gbk",
                 QByteArray::fromStdString("<html><body>" + Utf8ToGbk("请点击广告") + "</body></html>"));
  QWidget window;
  WebBoxView box(&window);
  int loaded = 0;
  box.onPageLoaded = [&] { ++loaded; };

  box.Load(AdvertPageUrl("127.0.0.1", server.port()));
  // Load returned while the server has not answered: the window was never held up.
  EXPECT_EQ(loaded, 0);
  ASSERT_TRUE(RunUntil([&] { return server.HasRequest(); }));
  EXPECT_TRUE(server.request().startsWith("GET /rj_gg/Vinkabo.html HTTP/1.1\r\n")) << server.request().data();
  EXPECT_EQ(loaded, 0);

  server.Answer();
  ASSERT_TRUE(RunUntil([&] { return loaded > 0; }));
  EXPECT_EQ(loaded, 1);
  EXPECT_EQ(box.plainText(), QString::fromUtf8("请点击广告"));

  // Every completed load is reported again.
  server.SetAutoAnswer(true);
  server.SetPage("text/html", "<p>second</p>");
  box.Load(AdvertPageUrl("127.0.0.1", server.port()));
  ASSERT_TRUE(RunUntil([&] { return loaded > 1; }));
  EXPECT_EQ(box.plainText(), "second");
}

TEST(WebBoxView, AFailedConnectionReportsNothing) {
  TestApp();
  int port;
  {
    PageServer gone;
    port = gone.port();
  }
  WebBoxView box;
  int loaded = 0;
  box.onPageLoaded = [&] { ++loaded; };
  PageServer server;
  server.SetPage("text/html", "<p>ok</p>");
  box.Load(AdvertPageUrl("127.0.0.1", port));
  ASSERT_TRUE(RunUntil([&] { return !box.loading(); }));
  EXPECT_EQ(loaded, 0);
  box.Load(AdvertPageUrl("127.0.0.1", server.port()));
  ASSERT_TRUE(RunUntil([&] { return loaded > 0; }));
  EXPECT_EQ(loaded, 1);
}

TEST(WebBoxView, GoesWithItsWidgetEvenWhileLoading) {
  TestApp();
  PageServer server;
  server.SetAutoAnswer(false);
  for (bool withParent : {true, false}) {
    auto* window = withParent ? new QWidget : nullptr;
    auto* box = new WebBoxView(window);
    int loaded = 0;
    box->onPageLoaded = [&] { ++loaded; };
    // As the window's peer keeps it: the view object goes when its widget goes.
    QObject::connect(box->widget(), &QObject::destroyed, [box] { delete box; });
    box->Load(AdvertPageUrl("127.0.0.1", server.port()));
    ASSERT_TRUE(RunUntil([&] { return server.HasRequest(); }));
    if (window) delete window;
    else delete box->widget();
    server.Answer();
    bool spun = false;
    QTimer::singleShot(50, [&] { spun = true; });
    ASSERT_TRUE(RunUntil([&] { return spun; }));
    EXPECT_EQ(loaded, 0);
  }
}

int PixelsOf(const QImage& image, QColor colour) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += image.pixelColor(x, y) == colour;
  return n;
}

// A page made of banner pictures shows them: fetched over http in the background, by
// relative and absolute address. A picture on a local file is never read, one larger
// than the limit never shown, one that is no picture shows nothing.
TEST(WebBoxView, ShowsThePagesPicturesFromTheWebOnly) {
  TestApp();
  const QColor red(255, 0, 0), blue(0, 0, 255), green(0, 255, 0), black(0, 0, 0);
  SiteServer site;
  site.files["/banner.png"] = {"image/png", Png(120, 30, red)};
  site.files["/pics/second.png"] = {"image/png", Png(60, 20, blue)};
  // Over the limit: a picture that would fill the box in black.
  QImage huge(2000, 2000, QImage::Format_RGB32);
  huge.fill(black);
  QByteArray hugeBmp;
  {
    QBuffer b(&hugeBmp);
    b.open(QIODevice::WriteOnly);
    huge.save(&b, "BMP");
  }
  ASSERT_GT(hugeBmp.size(), WebBoxView::kPictureBytes);
  site.files["/huge.bmp"] = {"image/bmp", hugeBmp};
  site.files["/not-a-picture.png"] = {"image/png", "<html>surprise</html>"};
  // A local picture the page names: green, never to be seen.
  const QString local = QDir::temp().filePath(QString("vk_web_box_local_%1.png").arg(getpid()));
  {
    QFile f(local);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(Png(50, 50, green));
  }
  site.files["/rj_gg/Vinkabo.html"] = {
      "text/html",
      "<html><body><img src=\"/banner.png\"><img src=\"" + site.Url("/pics/second.png") +
          "\"><img src=\"file://" + local.toUtf8() + "\"><img src=\"../huge.bmp\"><img "
          "src=\"/not-a-picture.png\"></body></html>"};

  QWidget window;
  window.resize(820, 300);
  WebBoxView box(&window);
  box.widget()->setGeometry(0, 0, 820, 300);
  window.show();
  int loaded = 0;
  box.onPageLoaded = [&] { ++loaded; };
  box.Load(AdvertPageUrl("127.0.0.1", site.port()));
  ASSERT_TRUE(RunUntil([&] { return loaded > 0; }));
  // The page is on show before its pictures are: nothing waited for them.
  auto asked = [&](const char* path) {
    return std::count(site.asked.begin(), site.asked.end(), QByteArray(path));
  };
  ASSERT_TRUE(RunUntil([&] {
    return PixelsOf(box.widget()->grab().toImage(), red) >= 120 * 30 &&
           PixelsOf(box.widget()->grab().toImage(), blue) >= 60 * 20;
  })) << "the pictures did not show";
  ASSERT_TRUE(RunUntil([&] { return asked("/huge.bmp") == 1 && asked("/not-a-picture.png") == 1; }));
  bool spun = false;
  QTimer::singleShot(200, [&] { spun = true; });
  RunUntil([&] { return spun; });
  const QImage shot = box.widget()->grab().toImage();
  EXPECT_EQ(PixelsOf(shot, green), 0) << "the local file was read";
  EXPECT_EQ(PixelsOf(shot, black), 0) << "the picture over the limit shows";
  EXPECT_EQ(asked("/banner.png"), 1);
  QFile::remove(local);
}

// Only a real page of the advert host is ever shown or reported: an error page, a
// picture, a page too large or a connection closed early leave the box as it was.
TEST(WebBoxView, ShowsAndReportsOnlyAnHtmlPageAnsweredWith200) {
  TestApp();
  const std::string page = "<html><body>advert</body></html>";
  auto answer = [](const char* status, const char* type, const std::string& body) {
    return std::string("HTTP/1.1 ") + status + "\r\nContent-Type: " + type +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
  };
  const std::string large(WebBoxView::kPageBytes + 1, 'x');
  const std::vector<std::pair<const char*, std::string>> refused = {
      {"404", answer("404 Not Found", "text/html", "<h1>404 Not Found</h1>")},
      {"500", answer("500 Internal Server Error", "text/html", "<h1>500</h1>")},
      {"plain text", answer("200 OK", "text/plain", page)},
      {"picture", answer("200 OK", "image/png", Png(20, 20, QColor(1, 2, 3)).toStdString())},
      {"no type", answer("200 OK", "", page)},
      {"too large", answer("200 OK", "text/html", "<p>" + large + "</p>")},
      {"cut short", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 5000\r\n\r\n<p>half"},
      {"closed", ""},
  };
  for (const auto& [what, reply] : refused) {
    LocalHttpServer server(reply);
    QWidget window;
    WebBoxView box(&window);
    int loaded = 0;
    box.onPageLoaded = [&] { ++loaded; };
    box.Load(AdvertPageUrl("127.0.0.1", server.port()));
    ASSERT_TRUE(RunUntil([&] { return !box.loading(); })) << what;
    EXPECT_EQ(loaded, 0) << what;
    EXPECT_EQ(box.plainText(), "") << what;
    EXPECT_GE(server.requests().size(), 1u) << what;  // Qt asks again once after a closed connection
  }
  LocalHttpServer good(answer("200 OK", "text/html; charset=utf-8", page));
  WebBoxView box;
  int loaded = 0;
  box.onPageLoaded = [&] { ++loaded; };
  box.Load(AdvertPageUrl("127.0.0.1", good.port()));
  ASSERT_TRUE(RunUntil([&] { return loaded > 0; }));
  EXPECT_EQ(box.plainText(), "advert");
}

// Redirects are followed only within the advert host; one to another host is not even
// asked for, and nothing is shown.
TEST(WebBoxView, FollowsRedirectsOnlyWithinItsHost) {
  TestApp();
  SiteServer site;
  site.files["/rj_gg/Vinkabo.html"] = {"text/html", "<p>moved here</p>"};
  site.files["/elsewhere.html"] = {"text/html", "<p>someone else</p>"};
  site.moved["/rj_gg/Vinkabo.html"] = site.LocalhostUrl("/elsewhere.html");
  WebBoxView box;
  int loaded = 0;
  box.onPageLoaded = [&] { ++loaded; };
  box.Load(AdvertPageUrl("127.0.0.1", site.port()));
  ASSERT_TRUE(RunUntil([&] { return !box.loading(); }));
  EXPECT_EQ(loaded, 0);
  EXPECT_EQ(box.plainText(), "");
  EXPECT_EQ(std::count(site.asked.begin(), site.asked.end(), QByteArray("/elsewhere.html")), 0);

  site.moved["/rj_gg/Vinkabo.html"] = site.Url("/new/page.html");
  site.files["/new/page.html"] = {"text/html", "<p>moved here</p>"};
  box.Load(AdvertPageUrl("127.0.0.1", site.port()));
  ASSERT_TRUE(RunUntil([&] { return loaded > 0; }));
  EXPECT_EQ(box.plainText(), "moved here");
}

// A page's pictures come from its own host only.
TEST(WebBoxView, TakesPicturesFromItsOwnHostOnly) {
  TestApp();
  const QColor red(255, 0, 0), blue(0, 0, 255);
  SiteServer site;
  site.files["/own.png"] = {"image/png", Png(40, 20, red)};
  site.files["/other.png"] = {"image/png", Png(40, 20, blue)};
  site.files["/rj_gg/Vinkabo.html"] = {
      "text/html", "<p><img src=\"" + site.LocalhostUrl("/other.png") + "\"><img src=\"/own.png\"></p>"};
  QWidget window;
  window.resize(820, 128);
  WebBoxView box(&window);
  box.widget()->setGeometry(0, 0, 820, 128);
  window.show();
  box.Load(AdvertPageUrl("127.0.0.1", site.port()));
  ASSERT_TRUE(RunUntil([&] { return PixelsOf(box.widget()->grab().toImage(), red) >= 40 * 20; }));
  bool spun = false;
  QTimer::singleShot(200, [&] { spun = true; });
  RunUntil([&] { return spun; });
  EXPECT_EQ(std::count(site.asked.begin(), site.asked.end(), QByteArray("/other.png")), 0);
  EXPECT_EQ(PixelsOf(box.widget()->grab().toImage(), blue), 0);
}

// A link the user clicks is handed on (http and https only); the box stays on its page.
TEST(WebBoxView, AClickedLinkIsHandedOnAndTheBoxStays) {
  TestApp();
  SiteServer site;
  site.files["/rj_gg/Vinkabo.html"] = {
      "text/html",
      "<p><a href=\"http://shop.example.test/buy\">WEBLINK</a></p>"
      "<p><a href=\"/rj_gg/more.html\">OWNLINK</a></p>"
      "<p><a href=\"file:///etc/passwd\">FILELINK</a></p>"
      "<p><a href=\"javascript:alert(1)\">SCRIPTLINK</a></p>"};
  site.files["/rj_gg/more.html"] = {"text/html", "<p>more</p>"};
  QWidget window;
  window.resize(820, 300);
  WebBoxView box(&window);
  auto* view = box.widget();
  view->setGeometry(0, 0, 820, 300);
  window.show();
  int loaded = 0;
  box.onPageLoaded = [&] { ++loaded; };
  std::vector<QUrl> handed;
  box.onLinkClicked = [&](const QUrl& url) { handed.push_back(url); };
  box.Load(AdvertPageUrl("127.0.0.1", site.port()));
  ASSERT_TRUE(RunUntil([&] { return loaded > 0; }));
  const QString page = box.plainText();

  auto* browser = static_cast<QAbstractScrollArea*>(view);
  auto clickOn = [&](const char* word) {
    QTextDocument* doc = view->findChild<QTextDocument*>();
    ASSERT_NE(doc, nullptr);
    QTextCursor found = doc->find(QString(word));
    ASSERT_FALSE(found.isNull()) << word;
    QTextCursor at(doc);
    at.setPosition(found.selectionStart() + 2);
    const QRect r = static_cast<QTextEdit*>(view)->cursorRect(at);
    ClickWidget(browser->viewport(), r.center());
  };
  clickOn("WEBLINK");
  clickOn("OWNLINK");
  clickOn("FILELINK");
  clickOn("SCRIPTLINK");
  bool spun = false;
  QTimer::singleShot(200, [&] { spun = true; });
  RunUntil([&] { return spun; });
  ASSERT_EQ(handed.size(), 2u);
  EXPECT_EQ(handed[0].toString(), "http://shop.example.test/buy");
  EXPECT_EQ(handed[1].toString(), site.Url("/rj_gg/more.html"));
  EXPECT_EQ(loaded, 1);
  EXPECT_EQ(box.plainText(), page);
  EXPECT_EQ(std::count(site.asked.begin(), site.asked.end(), QByteArray("/rj_gg/more.html")), 0);
}

TEST(WebBoxView, CanBeShownAndHidden) {
  TestApp();
  QWidget window;
  WebBoxView box(&window);
  window.show();
  box.SetShown(false);
  EXPECT_FALSE(box.shown());
  EXPECT_FALSE(box.widget()->isVisible());
  box.SetShown(true);
  EXPECT_TRUE(box.shown());
  EXPECT_TRUE(box.widget()->isVisible());
}

}  // namespace
