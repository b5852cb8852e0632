#include "app/InstanceProbe.h"

#include "app/QXMainFrame.h"
#include "charset/Cp1252.h"
#include "datamodel/QXCalcItem.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <memory>

namespace {

constexpr int kPeerTimeoutMs = 1000;
constexpr int kRequestHeaderBytes = 8;
constexpr int kAnswerHeaderBytes = 5;
const char kSocketPrefix[] = "orvoQXFrameClass.";

QByteArray requestBytes(const QByteArray& path, quint32 code = kProbeDataCode) {
  QByteArray out(kRequestHeaderBytes, '\0');
  qToLittleEndian<quint32>(code, out.data());
  qToLittleEndian<quint32>(quint32(path.size()), out.data() + 4);
  return out + path;
}

QByteArray answerBytes(bool yes, const QString& title) {
  const QByteArray text = title.toUtf8();
  QByteArray out(kAnswerHeaderBytes, '\0');
  out[0] = yes ? 1 : 0;
  qToLittleEndian<quint32>(quint32(text.size()), out.data() + 1);
  return out + text;
}

// What is left of the deadline, for the socket's waits.
int msLeft(const QDeadlineTimer& deadline) { return int(std::max<qint64>(deadline.remainingTime(), 0)); }

// Reads until `size` bytes are there or the deadline passes.
bool readFully(QLocalSocket& socket, QByteArray& buffer, qsizetype size, const QDeadlineTimer& deadline) {
  while (buffer.size() < size) {
    if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(msLeft(deadline))) return false;
    buffer += socket.read(size - buffer.size());
    if (deadline.hasExpired() && buffer.size() < size) return false;
  }
  return true;
}

// Asks one peer; TRUE with its title when it has the file. A socket that
// refuses the connection has nobody behind it and is removed.
bool askPeer(const QString& socketPath, const QByteArray& request, QString* title) {
  const QDeadlineTimer deadline(kPeerTimeoutMs);
  QLocalSocket socket;
  socket.connectToServer(socketPath);
  if (!socket.waitForConnected(msLeft(deadline))) {
    const auto error = socket.error();
    if (error == QLocalSocket::ConnectionRefusedError || error == QLocalSocket::ServerNotFoundError)
      QFile::remove(socketPath);
    return false;
  }
  socket.write(request);
  while (socket.bytesToWrite() > 0)
    if (!socket.waitForBytesWritten(msLeft(deadline))) return false;
  QByteArray answer;
  if (!readFully(socket, answer, kAnswerHeaderBytes, deadline) || answer[0] != 1) return false;
  const quint32 length = qFromLittleEndian<quint32>(answer.constData() + 1);
  if (length > 4096) return false;
  answer.clear();
  if (!readFully(socket, answer, qsizetype(length), deadline)) return false;
  *title = QString::fromUtf8(answer);
  return true;
}

}  // namespace

QString InstanceFolder() {
  QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (base.isEmpty()) base = QDir::tempPath();
  const QString folder = QDir(base).filePath(QStringLiteral("TALLIX"));
  QDir().mkpath(folder);
  QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  return folder;
}

QString InstanceSocketName() {
  return QString::fromLatin1(kSocketPrefix) + QString::number(QCoreApplication::applicationPid());
}

BOOL FindInstanceWithFile(const QString& path, char* title, UINT titleSize) {
  if (title && titleSize > 0) title[0] = '\0';
  const QByteArray bytes = QFile::encodeName(path);
  if (bytes.isEmpty() || bytes.size() >= qsizetype(kProbeMaxPathBytes)) return FALSE;
  const QByteArray request = requestBytes(bytes);
  const QDir folder(InstanceFolder());
  const QString own = InstanceSocketName();
  const QStringList names =
      folder.entryList({QString::fromLatin1(kSocketPrefix) + u'*'}, QDir::System | QDir::Files | QDir::Hidden, QDir::Name);
  for (const QString& name : names) {
    if (name == own) continue;
    QString answer;
    if (!askPeer(folder.filePath(name), request, &answer)) continue;
    CopyText(tallix::toCp1252(answer), title, titleSize);
    return TRUE;
  }
  return FALSE;
}

BOOL TellInstanceItemMoved(DWORD pid, DWORD view, const char* path) {
  if (!path) return FALSE;
  QByteArray bytes(4, '\0');
  qToLittleEndian<quint32>(view, bytes.data());
  bytes += path;
  if (bytes.size() >= qsizetype(kProbeMaxPathBytes)) return FALSE;
  const QString socket = QDir(InstanceFolder()).filePath(QString::fromLatin1(kSocketPrefix) + QString::number(pid));
  QString title;
  return askPeer(socket, requestBytes(bytes, kItemMovedDataCode), &title) ? TRUE : FALSE;
}

CQXInstanceListener::CQXInstanceListener(CQXMainFrame* frame) : frame_(frame) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, &CQXInstanceListener::onConnection);
}

CQXInstanceListener::~CQXInstanceListener() { server_.close(); }

QString CQXInstanceListener::SocketPath() const { return QDir(InstanceFolder()).filePath(InstanceSocketName()); }

BOOL CQXInstanceListener::Listen() {
  const QString path = SocketPath();
  QLocalServer::removeServer(path);
  return server_.listen(path) ? TRUE : FALSE;
}

void CQXInstanceListener::onConnection() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A peer that never finishes its question is dropped.
    QTimer::singleShot(kPeerTimeoutMs, socket, [socket] { socket->abort(); socket->deleteLater(); });
    auto buffer = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
      *buffer += socket->readAll();
      if (buffer->size() < kRequestHeaderBytes) return;
      COPYDATASTRUCT data;
      data.dwData = qFromLittleEndian<quint32>(buffer->constData());
      data.cbData = qFromLittleEndian<quint32>(buffer->constData() + 4);
      const qsizetype have = buffer->size() - kRequestHeaderBytes;
      bool yes = false;
      if (data.cbData < kProbeMaxPathBytes && have < qsizetype(data.cbData)) return;  // more to come
      if (data.cbData < kProbeMaxPathBytes && have == qsizetype(data.cbData) && frame_) {
        data.lpData = buffer->constData() + kRequestHeaderBytes;
        yes = frame_->SendMessage(WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)) != 0;
      }
      socket->write(answerBytes(yes, yes && frame_ ? frame_->windowTitle() : QString()));
      socket->disconnectFromServer();
      buffer->clear();
      disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    });
  }
}
