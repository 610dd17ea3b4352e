#include "qt/app_icon.h"

#include <QPixmap>

QIcon IconOf(const std::vector<EmbeddedPicture>& pictures) {
  QIcon icon;
  for (const EmbeddedPicture& p : pictures) {
    QPixmap pixmap;
    if (pixmap.loadFromData(p.bytes, static_cast<uint>(p.size), "PNG")) icon.addPixmap(pixmap);
  }
  return icon;
}
