// The advert page comes over plain HTTP from anyone on the network path: these pages
// try to crash the box, freeze the window, read the user's files and fill memory.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QElapsedTimer>
#include <QPointer>
#include <QTextDocument>
#include <QTextEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "qt/web_box_view.h"
#include "qt_test_support.h"
#include "site_server.h"

namespace {

// Ends the process with a message when the test has not finished in time: a frozen
// window (or a read blocked for good) fails the test instead of hanging it.
class Watchdog {
 public:
  explicit Watchdog(int seconds) {
    thread_ = std::thread([this, seconds] {
      std::unique_lock<std::mutex> lock(mu_);
      if (!cv_.wait_for(lock, std::chrono::seconds(seconds), [this] { return done_; })) {
        std::fprintf(stderr, "the window froze: no answer in %d s\n", seconds);
        std::_Exit(1);
      }
    });
  }
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mu_);
      done_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  bool done_ = false;
  std::thread thread_;
};

// Runs the event loop until `done` (or a generous limit) and gives the longest time a
// timer waited past its due time: how long the window would have ignored the user.
template <typename Done>
qint64 LongestStall(Done done, int limitMs = 10000) {
  QEventLoop loop;
  QElapsedTimer total, sinceTick;
  total.start();
  sinceTick.start();
  qint64 longest = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longest = std::max(longest, sinceTick.restart() - 20);
  });
  tick.start(20);
  while (!done() && total.elapsed() < limitMs) loop.processEvents(QEventLoop::WaitForMoreEvents, 20);
  longest = std::max(longest, sinceTick.elapsed() - 20);
  return longest;
}

void Spin(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

QByteArray NestedTables(int levels) {
  return "<html><body>" + QByteArray("<table><tr><td>").repeated(levels) + "deep" +
         QByteArray("</td></tr></table>").repeated(levels) + "</body></html>";
}

// The box as the program keeps it: hidden until a page has loaded.
struct Box {
  QWidget window;
  WebBoxView view{&window};
  int loaded = 0;
  Box() {
    window.resize(820, 128);
    view.widget()->setGeometry(0, 0, 820, 128);
    view.SetShown(false);
    view.onPageLoaded = [this] {
      ++loaded;
      view.SetShown(true);
    };
    window.show();
  }
};

TEST(WebBoxHostile, DeeplyNestedTablesAreNotShownAndNeverStallTheWindow) {
  TestApp();
  for (int levels : {200, 3000}) {
    Watchdog watchdog(60);
    SiteServer site;
    site.SetPage(NestedTables(levels));
    Box box;
    box.view.Load(site.Page());
    const qint64 stall = LongestStall([&] { return !box.view.loading() && site.answered > 0; });
    // The page would take the text view minutes or crash it: it is refused as a whole.
    EXPECT_FALSE(box.view.loading()) << levels;
    EXPECT_LT(stall, 1000) << levels << " levels held the window";
    EXPECT_EQ(box.loaded, 0) << levels;
    EXPECT_FALSE(box.view.shown()) << levels;
    EXPECT_EQ(box.view.plainText(), "") << levels;
    std::printf("%d levels: longest stall %lld ms\n", levels, static_cast<long long>(stall));
  }
}

TEST(WebBoxHostile, APageWithinTheLimitsStillShows) {
  TestApp();
  SiteServer site;
  site.SetPage(NestedTables(4) + QByteArray("<p>word </p>").repeated(200));
  Box box;
  box.view.Load(site.Page());
  LongestStall([&] { return box.loaded > 0; });
  EXPECT_EQ(box.loaded, 1);
  EXPECT_TRUE(box.view.shown());
  EXPECT_TRUE(box.view.plainText().contains("deep"));
}

// Notes every open of a FIFO: a reader that opened one is let go at once (the writer
// closes), so the test records the read instead of blocking on it for good.
class FifoWatch {
 public:
  explicit FifoWatch(std::vector<std::string> paths) : paths_(std::move(paths)) {
    for (const std::string& p : paths_) mkfifo(p.c_str(), 0600);
    thread_ = std::thread([this] {
      while (!stop_) {
        for (const std::string& p : paths_) {
          int fd = open(p.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
          if (fd >= 0) {  // only succeeds while someone has it open for reading
            ++opened_;
            close(fd);
          }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
  }
  ~FifoWatch() {
    stop_ = true;
    thread_.join();
  }
  int opened() const { return opened_; }

 private:
  std::vector<std::string> paths_;
  std::atomic<bool> stop_{false};
  std::atomic<int> opened_{0};
  std::thread thread_;
};

TEST(WebBoxHostile, NoResourceIsEverReadFromTheLocalFileSystem) {
  TestApp();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString root = dir.path();
  // A regular picture too: the box must not show it, and must not even open it.
  QImage tall(10, 300, QImage::Format_ARGB32);
  tall.fill(Qt::red);
  ASSERT_TRUE(tall.save(root + "/tall.png"));
  FifoWatch fifos({(root + "/abs.png").toStdString(), (root + "/url.png").toStdString(),
                   (root + "/rel.png").toStdString(), (root + "/back.png").toStdString(),
                   (root + "/style.css").toStdString()});
  const int inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(inotify, 0);
  ASSERT_GE(inotify_add_watch(inotify, root.toLocal8Bit().constData(), IN_OPEN | IN_ACCESS), 0);

  // A relative name resolves against the page's address, but the text view would read
  // it from the working directory: the run directory.
  const QString cwd = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(root));
  SiteServer site;
  site.SetPage(("<html><head><link rel=\"stylesheet\" href=\"" + root + "/style.css\"></head>"
                "<body><img src=\"" + root + "/abs.png\"><img src=\"file://" + root + "/url.png\">"
                "<img src=\"rel.png\"><img src=\"" + root + "/tall.png\">"
                "<table background=\"" + root + "/back.png\"><tr><td>cell</td></tr></table>"
                "<p>text</p></body></html>").toUtf8());
  {
    Watchdog watchdog(60);
    Box box;
    box.view.Load(site.Page());
    const qint64 stall = LongestStall([&] { return box.loaded > 0; });
    EXPECT_EQ(box.loaded, 1);
    // Lay out and paint the page, as the screen would: every picture is asked for now.
    box.view.widget()->grab();
    Spin(200);
    box.view.widget()->grab();
    EXPECT_LT(stall, 1000);
    EXPECT_TRUE(box.view.plainText().contains("text"));
    auto* text = qobject_cast<QTextEdit*>(box.view.widget());
    ASSERT_NE(text, nullptr);
    // The 300-pixel picture was not laid out: nothing of it reached the page.
    EXPECT_LT(text->document()->size().height(), 200);
  }
  QDir::setCurrent(cwd);
  EXPECT_EQ(fifos.opened(), 0) << "a local FIFO was opened for reading";
  char events[4096];
  const ssize_t got = read(inotify, events, sizeof events);
  EXPECT_LE(got, 0) << "a local file under the page's names was opened";
  close(inotify);
}

// Peak resident memory of the process since `ResetPeak`, in MB.
bool ResetPeak() {
  FILE* f = std::fopen("/proc/self/clear_refs", "w");
  if (!f) return false;
  const bool ok = std::fputs("5", f) >= 0;
  return std::fclose(f) == 0 && ok;
}
long PeakMb() {
  FILE* f = std::fopen("/proc/self/status", "r");
  char line[256];
  long kb = 0;
  while (f && std::fgets(line, sizeof line, f)) std::sscanf(line, "VmHWM: %ld kB", &kb);
  if (f) std::fclose(f);
  return kb / 1024;
}
long ResidentMb() {
  FILE* f = std::fopen("/proc/self/statm", "r");
  long size = 0, resident = 0;
  if (f) {
    if (std::fscanf(f, "%ld %ld", &size, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024) / 1024;
}

TEST(WebBoxHostile, BigPicturesCannotFillMemory) {
  TestApp();
  // 4096 x 4096 of one colour: a few KB on the wire, 64 MB once decoded.
  const QByteArray png = Png(4096, 4096, Qt::blue);
  ASSERT_FALSE(png.isEmpty());
  ASSERT_LT(png.size(), WebBoxView::kPictureBytes);
  SiteServer site;
  // A banner within the page's pixels comes first and still shows.
  const QByteArray bannerPng = Png(800, 100, Qt::green);
  ASSERT_FALSE(bannerPng.isEmpty());
  site.files["/banner.png"] = {"image/png", bannerPng};
  QByteArray html = "<html><body><img src=\"/banner.png\"><br>";
  for (int i = 0; i < 64; ++i) {
    const QByteArray path = "/big" + QByteArray::number(i) + ".png";
    site.files[path] = {"image/png", png};
    html += "<img src=\"" + path + "\">";
  }
  site.SetPage(html + "</body></html>");

  const bool peakKnown = ResetPeak();
  long sampled = ResidentMb();
  Box box;
  QTimer sample;
  QObject::connect(&sample, &QTimer::timeout, [&] { sampled = std::max(sampled, ResidentMb()); });
  sample.start(5);
  box.view.Load(site.Page());
  LongestStall([&] { return box.loaded > 0; });
  ASSERT_EQ(box.loaded, 1);
  box.view.widget()->grab();
  // The page and as many pictures as a page may fetch: the banner and 63 big ones.
  LongestStall([&] { return site.answered >= 1 + WebBoxView::kPicturesPerPage; }, 60000);
  Spin(500);  // the last replies decoded (or refused)
  box.view.widget()->grab();
  sampled = std::max(sampled, ResidentMb());
  EXPECT_EQ(site.answered, 1 + WebBoxView::kPicturesPerPage);
  EXPECT_LT(sampled, 300);
  if (peakKnown) {
    EXPECT_LT(PeakMb(), 300);
  }
  // The banner was laid out at its own size; the big ones stand as single pixels.
  auto* text = qobject_cast<QTextEdit*>(box.view.widget());
  ASSERT_NE(text, nullptr);
  EXPECT_GE(text->document()->size().height(), 100);
  EXPECT_LT(text->document()->size().height(), 200);
  std::printf("peak resident: sampled %ld MB, VmHWM %ld MB\n", sampled, peakKnown ? PeakMb() : -1L);
}

}  // namespace
