#include "qt/web_box_view.h"

#include <QBuffer>
#include <QImageReader>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QTextDocument>

#include "base/bytes.h"
#include "base/text.h"
#include "platform/advert_page.h"
#include "qt/qt_images.h"
#include "ui/web_page_limits.h"

namespace {

constexpr int kTransferTimeoutMs = 30000;

// The author's pages are GBK; anything that does not say so is taken as UTF-8.
QString DecodePage(const QByteArray& body, const QByteArray& contentType) {
  static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*[\"']?([A-Za-z0-9_-]+)"),
                                          QRegularExpression::CaseInsensitiveOption);
  QString name = charset.match(QString::fromLatin1(contentType)).captured(1);
  if (name.isEmpty()) name = charset.match(QString::fromLatin1(body.left(2048))).captured(1);
  name = name.toLower();
  if (name == "gbk" || name == "gb2312" || name == "gb18030" || name == "cp936") {
    return QString::fromStdString(GbkToUtf8(std::string_view(body.constData(), body.size())));
  }
  return QString::fromUtf8(body);
}

bool WebScheme(const QUrl& url) { return url.scheme() == "http" || url.scheme() == "https"; }

bool OnHost(const QUrl& url, const QString& host) { return WebScheme(url) && url.host() == host; }

// Whatever the box fetches stays on one host: a redirect elsewhere (another site,
// file:, any other scheme) ends the fetch; one anything grows past `limit` too.
void KeepWithin(QNetworkReply* reply, const QString& host, qint64 limit, QObject* context) {
  QObject::connect(reply, &QNetworkReply::redirected, context, [reply, host](const QUrl& to) {
    if (OnHost(to, host)) emit reply->redirectAllowed();
    else reply->abort();
  });
  QObject::connect(reply, &QNetworkReply::downloadProgress, context, [reply, limit](qint64 received, qint64 total) {
    if (received > limit || total > limit) reply->abort();
  });
}

QNetworkRequest Request(const QUrl& url) {
  QNetworkRequest request(url);
  request.setTransferTimeout(kTransferTimeoutMs);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
  return request;
}

// Only a whole HTML page that its host answered with 200 is shown.
bool IsPage(QNetworkReply* reply, const QString& host) {
  if (reply->error() != QNetworkReply::NoError || !OnHost(reply->url(), host)) return false;
  if (reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200) return false;
  const QByteArray type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray().split(';').value(0).trimmed().toLower();
  return type == "text/html" || type == "application/xhtml+xml";
}

}  // namespace

// One transparent pixel: what a picture shows until (unless) the fetched one replaces it.
const QImage& Placeholder() {
  static const QImage pixel = [] {
    QImage image(1, 1, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
  }();
  return pixel;
}

// The picture's size as its header gives it; invalid when the header says nothing.
QSize PictureSize(const QByteArray& body) {
  QByteArray bytes = body;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  return reader.size();
}

// The text view, asked for every picture (and style sheet) the page names. The base
// class and the document would read local files (and the picture handler reads the
// named file itself when it is given a null picture); this one hands http and https
// pictures to the box's own network access and answers every request itself, never
// with nothing.
class WebBoxBrowser : public QTextBrowser {
 public:
  WebBoxBrowser(WebBoxView* box, QWidget* parent) : QTextBrowser(parent), box_(box) {}
  void Forget() { box_ = nullptr; }

 protected:
  QVariant loadResource(int type, const QUrl& name) override {
    if (type == QTextDocument::ImageResource) {
      if (box_) {
        const QUrl url = box_->current_.resolved(name);
        if (WebScheme(url)) box_->FetchPicture(url);
      }
      return Placeholder();
    }
    if (type == QTextDocument::StyleSheetResource || type == QTextDocument::HtmlResource ||
        type == QTextDocument::MarkdownResource) {
      return QString(QLatin1Char(' '));
    }
    return QByteArray(1, ' ');
  }

 private:
  WebBoxView* box_;
};

QUrl AdvertPageUrl(const QString& host, int port) {
  QUrl url;
  url.setScheme(QStringLiteral("http"));
  url.setHost(host);
  if (port >= 0) url.setPort(port);
  url.setPath(QString::fromLatin1(kAdvertPath));
  return url;
}

WebBoxView::WebBoxView(QWidget* parent)
    : view_(new WebBoxBrowser(this, parent)), network_(new QNetworkAccessManager(view_)) {
  // Connected first, so it is told before anyone who deletes this object on the same signal.
  watchView_ = QObject::connect(view_, &QObject::destroyed, [this] { viewGone_ = true; });
  view_->setOpenLinks(false);
  view_->setFrameShape(QFrame::NoFrame);
  // A clicked link opens elsewhere (the user's browser); the box keeps its page.
  QObject::connect(view_, &QTextBrowser::anchorClicked, view_, [this](const QUrl& link) {
    const QUrl target = current_.resolved(link);
    if (WebScheme(target) && onLinkClicked) onLinkClicked(target);
  });
}

WebBoxView::~WebBoxView() {
  if (loading_) {
    QObject::disconnect(loading_, nullptr, nullptr, nullptr);  // no Finished into a dying view
    loading_->abort();
  }
  DropPictures();
  if (!viewGone_) static_cast<WebBoxBrowser*>(view_)->Forget();
  // The view belongs to its parent widget when it has one; a view already destroyed
  // (this object then goes from its destroyed signal) is not deleted twice.
  if (viewGone_) return;
  QObject::disconnect(watchView_);
  QObject::disconnect(view_, &QTextBrowser::anchorClicked, nullptr, nullptr);  // they know this object
  if (view_->parent() == nullptr) delete view_;
}

QWidget* WebBoxView::widget() const { return view_; }

void WebBoxView::Load(const QUrl& url) {
  DropPictures();
  if (loading_) {
    QObject::disconnect(loading_, nullptr, nullptr, nullptr);
    loading_->abort();
    loading_->deleteLater();
  }
  host_ = url.host();
  QNetworkReply* reply = network_->get(Request(url));
  loading_ = reply;
  KeepWithin(reply, host_, kPageBytes, view_);
  QObject::connect(reply, &QNetworkReply::finished, view_, [this, reply] { Finished(reply); });
}

void WebBoxView::Finished(QNetworkReply* reply) {
  reply->deleteLater();
  if (reply != loading_) return;
  loading_ = nullptr;
  // An error page, someone else's page or half a page is never shown.
  if (!IsPage(reply, host_)) return;
  const QByteArray body = reply->readAll();
  if (body.size() > kPageBytes) return;
  current_ = reply->url();
  // Pictures are named relative to the page; the document keeps them under the
  // resolved address.
  const QString html = DecodePage(body, reply->rawHeader("Content-Type"));
  // A page the view could not lay out quickly is not shown at all.
  if (!WebPageWithinLimits(html.toStdString())) return;
  view_->document()->setBaseUrl(current_);
  view_->setHtml(html);
  if (onPageLoaded) onPageLoaded();
}

void WebBoxView::DropPictures() {
  for (const QPointer<QNetworkReply>& r : pictures_) {
    if (!r) continue;
    QObject::disconnect(r, nullptr, nullptr, nullptr);
    r->abort();
    r->deleteLater();
  }
  pictures_.clear();
  asked_.clear();
  picturePixels_ = 0;
}

void WebBoxView::FetchPicture(const QUrl& url) {
  // Pictures come from the page's own host only.
  if (!OnHost(url, current_.host()) || asked_.contains(url) || asked_.size() >= kPicturesPerPage) return;
  asked_.insert(url);
  QNetworkReply* reply = network_->get(Request(url));
  pictures_.append(reply);
  // A picture larger than the limit is dropped as soon as it says so, or grows so.
  KeepWithin(reply, current_.host(), kPictureBytes, view_);
  QObject::connect(reply, &QNetworkReply::finished, view_, [this, reply, url] { PictureFinished(reply, url); });
}

void WebBoxView::PictureFinished(QNetworkReply* reply, const QUrl& url) {
  reply->deleteLater();
  pictures_.removeAll(reply);
  if (reply->error() != QNetworkReply::NoError || !OnHost(reply->url(), current_.host())) return;
  const QByteArray body = reply->readAll();
  if (body.size() > kPictureBytes) return;
  // A few kilobytes of compressed picture can claim hundreds of megabytes: the header's
  // size is checked against what the page has left before anything is decoded.
  const QSize size = PictureSize(body);
  if (!size.isValid() || size.isEmpty()) return;
  const qint64 pixels = qint64(size.width()) * size.height();
  if (pixels > kPagePicturePixels - picturePixels_) return;
  // The program's own decoders read what the network gave, as they read its files.
  const QImage picture = DecodeToQImage(Bytes(body.begin(), body.end()));
  if (picture.isNull()) return;
  // What was decoded counts, whatever the header said.
  const qint64 decoded = qint64(picture.width()) * picture.height();
  if (decoded > kPagePicturePixels - picturePixels_) return;
  picturePixels_ += decoded;
  QTextDocument* document = view_->document();
  document->addResource(QTextDocument::ImageResource, url, picture);
  // Lay the page out again: the picture takes its own size now.
  document->markContentsDirty(0, document->characterCount());
  view_->viewport()->update();
}

void WebBoxView::SetFontSize(int size) {
  if (size < 0) size = 0;
  if (size > 4) size = 4;
  int want = (size - 2) * 2;
  view_->zoomIn(want - zoom_);
  zoom_ = want;
}

void WebBoxView::SetShown(bool shown) { view_->setVisible(shown); }
bool WebBoxView::shown() const { return !view_->isHidden(); }
QString WebBoxView::plainText() const { return view_->toPlainText(); }
