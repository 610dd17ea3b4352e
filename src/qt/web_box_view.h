#pragma once
// The web box's view: loads a page over HTTP in the background and shows it. A load
// never holds up the window; only a whole HTML page its host answered with 200 is
// shown and reported, so an error page or someone else's never appears. Everything
// comes from the host of the address loaded (redirects too), within size limits; the
// page's pictures over http or https as they arrive, never from a local file. The view
// runs no scripts and sends no forms; a clicked link is handed on, not followed.

#include <QList>
#include <QPointer>
#include <QSet>
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
  // Told of an http or https link the user clicked; the view itself stays on its page.
  std::function<void(const QUrl&)> onLinkClicked;

  // Limits on what one page may fetch besides itself.
  static constexpr qint64 kPictureBytes = 2 * 1024 * 1024;
  static constexpr int kPicturesPerPage = 64;
  // The largest page fetched; a larger one is dropped unseen (and what the view is
  // given is held to the layout limits of ui/web_page_limits.h).
  static constexpr qint64 kPageBytes = 512 * 1024;
  // The pixels all pictures of one page may have together, decoded: eight times the
  // box (820 x 128), so a banner and a few pictures fit, and a page cannot fill memory.
  static constexpr qint64 kPagePicturePixels = 8 * 820 * 128;

 private:
  friend class WebBoxBrowser;
  void Finished(QNetworkReply* reply);
  // Asked by the view for a picture of the page: starts fetching it once.
  void FetchPicture(const QUrl& url);
  void PictureFinished(QNetworkReply* reply, const QUrl& url);
  void DropPictures();

  QTextBrowser* view_;
  QMetaObject::Connection watchView_;
  bool viewGone_ = false;  // the widget went first (with its parent, or deleted directly)
  QNetworkAccessManager* network_;
  QPointer<QNetworkReply> loading_;
  QList<QPointer<QNetworkReply>> pictures_;  // fetching for the page on show
  QSet<QUrl> asked_;                         // pictures of this page already fetched or fetching
  QUrl current_;
  qint64 picturePixels_ = 0;  // decoded pixels the page's pictures hold
  QString host_;  // the one host the box takes anything from
  int zoom_ = 0;
};
