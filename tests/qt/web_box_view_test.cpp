#include "qt/web_box_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "base/text.h"
#include "qt_test_support.h"

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
  server.SetPage("text/html", "<p>second</p>", 404);
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
