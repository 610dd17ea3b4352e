#pragma once
// A small web site for the web box tests, and the pictures it serves.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <map>
#include <memory>
#include <vector>

#include "qt/web_box_view.h"

// An HTTP server on 127.0.0.1, in the test's event loop, that answers each path with
// its own file (or a redirect, or 404), notes every path asked for and counts the files
// it served.
class SiteServer {
 public:
  struct File {
    QByteArray contentType;
    QByteArray body;
  };
  SiteServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        auto request = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
          *request += socket->readAll();
          if (!request->contains("\r\n\r\n")) return;
          const QByteArray path = request->split(' ').value(1);
          asked.push_back(path);
          auto it = files.find(path);
          auto move = moved.find(path);
          QByteArray reply = move != moved.end()
                                 ? "HTTP/1.1 302 Found\r\nLocation: " + move->second + "\r\nContent-Length: 0\r\n"
                             : it == files.end()
                                 ? QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n")
                                 : "HTTP/1.1 200 OK\r\nContent-Type: " + it->second.contentType +
                                       "\r\nContent-Length: " + QByteArray::number(it->second.body.size()) +
                                       "\r\n";
          socket->write(reply + "Connection: close\r\n\r\n");
          if (move == moved.end() && it != files.end()) {
            socket->write(it->second.body);
            ++answered;
          }
          socket->disconnectFromHost();
        });
      }
    });
  }
  int port() const { return server_.serverPort(); }
  QByteArray Url(const char* path) const { return "http://127.0.0.1:" + QByteArray::number(port()) + path; }

  QByteArray LocalhostUrl(const char* path) const {
    return "http://localhost:" + QByteArray::number(port()) + path;
  }

  // The box's advert page on this server.
  QUrl Page() const { return AdvertPageUrl("127.0.0.1", port()); }
  void SetPage(const QByteArray& html) { files["/rj_gg/Vinkabo.html"] = {"text/html", html}; }

  std::map<QByteArray, File> files;
  std::map<QByteArray, QByteArray> moved;  // path -> where a 302 sends it
  std::vector<QByteArray> asked;
  int answered = 0;

 private:
  QTcpServer server_;
};

// A one-colour PNG; empty when it could not be encoded.
inline QByteArray Png(int w, int h, QColor colour) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  return image.save(&buffer, "PNG") ? data : QByteArray();
}
