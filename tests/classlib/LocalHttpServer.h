// A small HTTP server for download tests, in a thread of its own, listening
// on 127.0.0.1 only. One connection at a time; every answer closes it.
//   /big.bin       a body of kBigSize bytes (byte i is i * 7 % 251)
//   /missing.bin   404
//   /small.bin     the 5 bytes "small"
//   /moved.bin     302 to /big.bin
//   /trickle.bin   announces a million bytes, sends 64 every 20 ms until the
//                  client goes away or the server stops
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <atomic>

namespace tallix::test {

class LocalHttpServer : public QThread {
 public:
  static constexpr int kBigSize = 300 * 1024 + 17;

  static QByteArray bigBody() {
    QByteArray b(kBigSize, '\0');
    for (int i = 0; i < kBigSize; ++i) b[i] = char(i * 7 % 251);
    return b;
  }

  LocalHttpServer() {
    start();
    ready_.acquire();
  }
  ~LocalHttpServer() override {
    stop_ = true;
    wait();
  }

  quint16 port() const { return port_; }
  QString url(const char* path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(port_).arg(QLatin1String(path)); }
  std::atomic<int> trickleSent{0};

 protected:
  void run() override {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    port_ = server.serverPort();
    ready_.release();
    while (!stop_) {
      if (!server.waitForNewConnection(20)) continue;
      QTcpSocket* socket = server.nextPendingConnection();
      serve(*socket);
      socket->disconnectFromHost();
      if (socket->state() != QAbstractSocket::UnconnectedState) socket->waitForDisconnected(1000);
      delete socket;
    }
  }

 private:
  void send(QTcpSocket& s, const QByteArray& bytes) {
    s.write(bytes);
    while (s.bytesToWrite() > 0 && s.state() == QAbstractSocket::ConnectedState) s.waitForBytesWritten(100);
  }

  void serve(QTcpSocket& s) {
    QByteArray request;
    while (!request.contains("\r\n\r\n") && s.waitForReadyRead(2000)) request += s.readAll();
    const QByteArray path = request.split(' ').value(1);
    if (path == "/big.bin") {
      send(s, "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
                  QByteArray::number(kBigSize) + "\r\nConnection: close\r\n\r\n" + bigBody());
    } else if (path == "/small.bin") {
      send(s, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nsmall");
    } else if (path == "/moved.bin") {
      send(s, "HTTP/1.1 302 Found\r\nLocation: /big.bin\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    } else if (path == "/trickle.bin") {
      send(s, "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\nConnection: close\r\n\r\n");
      while (!stop_ && s.state() == QAbstractSocket::ConnectedState) {
        send(s, QByteArray(64, 't'));
        trickleSent += 64;
        msleep(20);
        s.waitForReadyRead(0);  // notices a client that went away
      }
    } else {
      send(s, "HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nnot found");
    }
  }

  QSemaphore ready_;
  std::atomic<bool> stop_{false};
  quint16 port_ = 0;
};

}  // namespace tallix::test
