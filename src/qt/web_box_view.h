#pragma once
// The web box's view: loads a page over HTTP in the background and shows it. A load
// never holds up the window; every page that arrives is reported once it is shown.
// Links clicked inside the page are loaded the same way.

#include <QPointer>
#include <QUrl>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
class QTextBrowser;
class QWidget;

// The advertisement page on `host` (and `port`; -1: the scheme's own).
QUrl AdvertPageUrl(const QString& host, int port = -1);

class WebBoxView {
 public:
  explicit WebBoxView(QWidget* parent = nullptr);
  ~WebBoxView();
  WebBoxView(const WebBoxView&) = delete;
  WebBoxView& operator=(const WebBoxView&) = delete;

  QWidget* widget() const;

  // Starts loading `url` and returns at once; a load still running is dropped.
  void Load(const QUrl& url);
  // 0 smallest .. 4 largest; 2 is the browser's normal size.
  void SetFontSize(int size);
  void SetShown(bool shown);
  bool shown() const;

  // What the view shows now, as plain text (for checks and the accessible name).
  QString plainText() const;
  QUrl currentUrl() const { return current_; }
  bool loading() const { return !loading_.isNull(); }

  // Told each time a page has arrived and is shown.
  std::function<void()> onPageLoaded;

 private:
  void Finished(QNetworkReply* reply);

  QTextBrowser* view_;
  QMetaObject::Connection watchView_;
  bool viewGone_ = false;  // the widget went first (with its parent, or deleted directly)
  QNetworkAccessManager* network_;
  QPointer<QNetworkReply> loading_;
  QUrl current_;
  int zoom_ = 0;
};
