#include "qt/web_box_view.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTextBrowser>

#include "base/text.h"
#include "platform/advert_page.h"

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

}  // namespace

QUrl AdvertPageUrl(const QString& host, int port) {
  QUrl url;
  url.setScheme(QStringLiteral("http"));
  url.setHost(host);
  if (port >= 0) url.setPort(port);
  url.setPath(QString::fromLatin1(kAdvertPath));
  return url;
}

WebBoxView::WebBoxView(QWidget* parent)
    : view_(new QTextBrowser(parent)), network_(new QNetworkAccessManager(view_)) {
  // Connected first, so it is told before anyone who deletes this object on the same signal.
  watchView_ = QObject::connect(view_, &QObject::destroyed, [this] { viewGone_ = true; });
  view_->setOpenLinks(false);
  view_->setFrameShape(QFrame::NoFrame);
  QObject::connect(view_, &QTextBrowser::anchorClicked, view_, [this](const QUrl& link) {
    QUrl target = current_.resolved(link);
    if (target.scheme() == "http" || target.scheme() == "https") Load(target);
  });
}

WebBoxView::~WebBoxView() {
  if (loading_) {
    QObject::disconnect(loading_, nullptr, nullptr, nullptr);  // no Finished into a dying view
    loading_->abort();
  }
  // The view belongs to its parent widget when it has one; a view already destroyed
  // (this object then goes from its destroyed signal) is not deleted twice.
  if (viewGone_) return;
  QObject::disconnect(watchView_);
  QObject::disconnect(view_, &QTextBrowser::anchorClicked, nullptr, nullptr);  // they know this object
  if (view_->parent() == nullptr) delete view_;
}

QWidget* WebBoxView::widget() const { return view_; }

void WebBoxView::Load(const QUrl& url) {
  if (loading_) {
    QObject::disconnect(loading_, nullptr, nullptr, nullptr);
    loading_->abort();
    loading_->deleteLater();
  }
  QNetworkRequest request(url);
  request.setTransferTimeout(kTransferTimeoutMs);
  QNetworkReply* reply = network_->get(request);
  loading_ = reply;
  QObject::connect(reply, &QNetworkReply::finished, view_, [this, reply] { Finished(reply); });
}

void WebBoxView::Finished(QNetworkReply* reply) {
  reply->deleteLater();
  if (reply != loading_) return;
  loading_ = nullptr;
  // An answer of the server, error pages included, is a page; a connection that
  // failed gives nothing to show.
  if (!reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid()) return;
  current_ = reply->url();
  QByteArray body = reply->readAll();
  view_->setHtml(DecodePage(body, reply->rawHeader("Content-Type")));
  if (onPageLoaded) onPageLoaded();
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
