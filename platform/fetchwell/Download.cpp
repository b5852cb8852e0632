#include "Download.h"

#include "Satellite.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QMovie>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QUrl>

#include <memory>

namespace fetchwell {
namespace {

constexpr int kNoDataTimeoutMs = 30000;

// Control and resource ids of the satellite.
enum : unsigned {
  kDialog = 124, kAnimation = 126, kCtlAnimation = 1000, kCtlStatus = 1001, kCtlFile = 1002,
  kCtlProgress = 1003, kCtlTimeLeft = 1004, kCtlSpeed = 1005, kCtlCancel = 2,
  kStrOfTotal = 102, kStrConnected = 103, kStrConnecting = 106, kStrRedirected = 107, kStrInvalidUrl = 109,
  kStrDownloadError = 110, kStrConnectError = 111, kStrNoResponse = 112, kStrNoHttpResponse = 113,
  kStrTransferError = 114, kStrPercentDone = 115, kStrSeconds = 118, kStrMinutes = 119,
  kStrMinutesSeconds = 120, kStrBytes = 121, kStrKilobytes = 123, kStrMegabytes = 125, kStrCopied = 127,
  kStrBytesPerSecond = 128, kStrKilobytesPerSecond = 129, kStrCannotOpen = 131, kStrInterrupted = 132,
  kStrTitle = 57344,
};

void showMessage(const Satellite& sat, QWidget* parent, const QString& text) {
  QMessageBox box(QMessageBox::Warning, sat.string(kStrTitle), text, QMessageBox::Ok, parent);
  box.exec();
}

QString sizeText(const Satellite& sat, qint64 bytes) {
  const QLocale french(QLocale::French);
  if (bytes < 1024) return sat.format(kStrBytes, french.toString(bytes));
  if (bytes < 1024 * 1024) return sat.format(kStrKilobytes, french.toString(bytes / 1024));
  return sat.format(kStrMegabytes, french.toString(double(bytes) / (1024 * 1024), 'f', 1));
}

QString timeText(const Satellite& sat, qint64 seconds) {
  if (seconds < 60) return sat.format(kStrSeconds, QString::number(seconds));
  if (seconds % 60 == 0) return sat.format(kStrMinutes, QString::number(seconds / 60));
  return sat.format(kStrMinutesSeconds, QString::number(seconds / 60), QString::number(seconds % 60));
}

// Keeps the dialog's texts in step with the transfer.
struct ProgressView {
  const Satellite& sat;
  QDialog* dialog;
  QString fileName;
  QElapsedTimer clock, lastShown;

  template <class T>
  T* get(int id) const { return control<T>(dialog, id); }
  void setText(int id, const QString& text) const {
    if (auto* label = get<QLabel>(id)) label->setText(text);
  }

  void show(qint64 received, qint64 total, bool force = false) {
    if (!force && lastShown.isValid() && lastShown.elapsed() < 100) return;
    lastShown.start();
    const QString done = total > 0 ? sat.format(kStrOfTotal, sizeText(sat, received), sizeText(sat, total))
                                   : sizeText(sat, received);
    setText(kCtlFile, sat.format(kStrCopied, fileName, done));
    auto* bar = get<QProgressBar>(kCtlProgress);
    const qint64 ms = std::max<qint64>(clock.elapsed(), 1);
    const qint64 perSecond = received * 1000 / ms;
    if (total > 0) {
      const int percent = int(std::min<qint64>(received * 100 / total, 100));
      if (bar) bar->setRange(0, 100), bar->setValue(percent);
      dialog->setWindowTitle(sat.format(kStrPercentDone, QString::number(percent), fileName));
      setText(kCtlTimeLeft, perSecond > 0 ? timeText(sat, (total - received) / perSecond) : QString());
    } else if (bar) {
      bar->setRange(0, 0);
    }
    setText(kCtlSpeed, perSecond < 1024 ? sat.format(kStrBytesPerSecond, QString::number(perSecond))
                                        : sat.format(kStrKilobytesPerSecond, QString::number(perSecond / 1024)));
  }
};

bool isConnectError(QNetworkReply::NetworkError e) {
  switch (e) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::SslHandshakeFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
    case QNetworkReply::UnknownProxyError:
      return true;
    default:
      return false;
  }
}

}  // namespace

int download(const QString& address, const QString& targetPath, QWidget* parent) {
  const Satellite sat;
  if (!sat.isLoaded()) return kNoSatellite;
  const QUrl url(address.trimmed(), QUrl::TolerantMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
    showMessage(sat, parent, sat.format(kStrInvalidUrl, address));
    return kInvalidAddress;
  }
  QSaveFile file(targetPath);
  if (targetPath.isEmpty() || !file.open(QIODevice::WriteOnly)) {
    showMessage(sat, parent, sat.format(kStrCannotOpen, file.errorString()));
    return kTargetFailed;
  }

  // The movie outlives the dialog whose label shows it.
  QMovie movie(sat.animationPath(kAnimation));
  std::unique_ptr<QDialog> dialog(qobject_cast<QDialog*>(sat.loadDialog(kDialog, parent)));
  if (!dialog) return kNoSatellite;
  ProgressView view{sat, dialog.get(), QFileInfo(targetPath).fileName(), {}, {}};
  if (auto* label = view.get<QLabel>(kCtlAnimation); label && movie.isValid()) {
    label->setMovie(&movie);
    movie.start();
  }
  view.setText(kCtlStatus, sat.format(kStrConnecting, url.host()));
  view.setText(kCtlTimeLeft, QString());
  view.setText(kCtlSpeed, QString());
  view.show(0, -1, true);

  QNetworkAccessManager network;
  QNetworkRequest request(url);
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  request.setTransferTimeout(kNoDataTimeoutMs);
  std::unique_ptr<QNetworkReply> reply(network.get(request));

  bool cancelled = false, writeFailed = false;
  qint64 received = 0, total = -1;
  QString writeError;
  QEventLoop loop;
  const auto take = [&] {
    if (!reply->isOpen()) return;  // aborted: nothing more to read
    const QByteArray chunk = reply->readAll();
    if (chunk.isEmpty() || writeFailed) return;
    if (file.write(chunk) != chunk.size()) {
      writeFailed = true;
      writeError = file.errorString();
      reply->abort();
      return;
    }
    received += chunk.size();
  };
  const auto cancel = [&] {
    if (reply->isFinished()) return;
    cancelled = true;
    reply->abort();
  };
  QObject::connect(reply.get(), &QNetworkReply::readyRead, [&] {
    take();
    view.show(received, total);
  });
  QObject::connect(reply.get(), &QNetworkReply::downloadProgress, [&](qint64, qint64 t) { total = t; });
  QObject::connect(reply.get(), &QNetworkReply::redirected,
                   [&](const QUrl& to) { view.setText(kCtlStatus, sat.format(kStrRedirected, to.toDisplayString())); });
  QObject::connect(reply.get(), &QNetworkReply::metaDataChanged,
                   [&] { view.setText(kCtlStatus, sat.format(kStrConnected, reply->url().host())); });
  QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  if (auto* button = view.get<QPushButton>(kCtlCancel)) QObject::connect(button, &QPushButton::clicked, cancel);
  QObject::connect(dialog.get(), &QDialog::rejected, cancel);

  dialog->setWindowModality(Qt::ApplicationModal);
  dialog->show();
  view.clock.start();
  if (!reply->isFinished()) loop.exec();
  take();
  dialog.reset();

  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const QNetworkReply::NetworkError error = reply->error();
  int result = kDownloaded;
  QString message;
  if (writeFailed) {
    result = kTargetFailed;
    message = sat.format(kStrCannotOpen, writeError);
  } else if (cancelled) {
    result = kCancelled;
    message = sat.string(kStrInterrupted);
  } else if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError) {
    result = kTimedOut;
    message = sat.string(kStrInterrupted);
  } else if (status != 0 && (status < 200 || status > 299)) {
    result = kHttpError;
    message = sat.format(kStrDownloadError, address);
  } else if (isConnectError(error)) {
    result = kConnectFailed;
    message = sat.format(kStrConnectError, url.host());
  } else if (error != QNetworkReply::NoError || status == 0) {
    result = kTransferFailed;
    if (received > 0) message = sat.format(kStrTransferError, address);
    else message = sat.string(error == QNetworkReply::RemoteHostClosedError ? kStrNoResponse : kStrNoHttpResponse);
  } else if (!file.flush() || !file.commit()) {
    // What was still buffered goes out first: a commit would not see its
    // failure and would put a short file in the target's place.
    result = kTargetFailed;
    message = sat.format(kStrCannotOpen, file.errorString());
  }
  reply.reset();
  if (result != kDownloaded) {
    file.cancelWriting();
    showMessage(sat, parent, message);
  }
  return result;
}

}  // namespace fetchwell
