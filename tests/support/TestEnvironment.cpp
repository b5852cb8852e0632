#include "tests/support/TestEnvironment.h"

#include "platform/LanguageLibrary.h"
#include "platform/Profile.h"
#include "platform/ProgramPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>

#include <poll.h>
#include <unistd.h>

#include <cstdio>

namespace tallix::test {
namespace {

void pointSettingsAt(const QString& dir) {
  for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
    for (auto scope : {QSettings::UserScope, QSettings::SystemScope}) QSettings::setPath(format, scope, dir);
  setProfileFolderOverride(dir);
}

// A document reads its model's command table from the token list files of
// the program directory; every private program directory holds the built
// ones, as the program's own does.
void copyTokenLists(const QString& programDir) {
  for (const char* name : {"QXToken.tok", "QXTokenV5.tok"}) {
    const QString to = QDir(programDir).filePath(QLatin1String(name));
    QFile::remove(to);
    QFile::copy(QDir(TestEnvironment::builtProgramDir()).filePath(QLatin1String(name)), to);
  }
}

}  // namespace

TestEnvironment::TestEnvironment(int options) {
  pointSettingsAt(settings_.path());
  setProgramDirectoryOverride(program_.path());
  setUserDataDirectoryOverride(data_.path());
  copyTokenLists(program_.path());
  if (options & WithLanguageLibrary) {
    copyFromBuild(QStringLiteral("QXLWIN32.LNG"));
    CLanguageLibrary::Load(programFile(QStringLiteral("QXLWIN32.LNG")));
  }
}

TestEnvironment::~TestEnvironment() {
  CLanguageLibrary::Unload();
  isolateProcess();
}

QString TestEnvironment::programFile(const QString& name) const { return QDir(program_.path()).filePath(name); }
QString TestEnvironment::dataFile(const QString& name) const { return QDir(data_.path()).filePath(name); }

void TestEnvironment::writeProgramFile(const QString& name, const QByteArray& content) const {
  QFile f(programFile(name));
  if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(content);
}

bool TestEnvironment::copyFromBuild(const QString& name) const {
  const QString from = QDir(builtProgramDir()).filePath(name);
  const QString to = programFile(name);
  QFile::remove(to);
  return QFile::copy(from, to);
}

QString TestEnvironment::builtProgramDir() { return QStringLiteral(TALLIX_BUILD_BIN_DIR); }

QString TestEnvironment::sourceFile(const QString& relative) {
  return QDir(QStringLiteral(TALLIX_SOURCE_DIR)).filePath(relative);
}

ScopedHome::ScopedHome() : home_(qgetenv("HOME")), config_(qgetenv("XDG_CONFIG_HOME")) {
  qputenv("HOME", QFile::encodeName(dir_.path()));
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(QDir(dir_.path()).filePath(QStringLiteral(".config"))));
}

ScopedHome::~ScopedHome() {
  qputenv("HOME", home_);
  if (config_.isNull()) qunsetenv("XDG_CONFIG_HOME");
  else qputenv("XDG_CONFIG_HOME", config_);
}

ScopedProgramOnPath::ScopedProgramOnPath(const QString& name, const QByteArray& script) : path_(qgetenv("PATH")) {
  QFile program(dir_.filePath(name));
  if (program.open(QIODevice::WriteOnly)) program.write(script);
  program.close();
  program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("PATH", QFile::encodeName(dir_.path()) + ':' + path_);
}

ScopedProgramOnPath::~ScopedProgramOnPath() { qputenv("PATH", path_); }

QByteArray fileContents(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFileContents(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

void isolateProcess() {
  static QTemporaryDir base;
  const QDir root(base.path());
  root.mkpath(QStringLiteral("settings"));
  root.mkpath(QStringLiteral("program"));
  root.mkpath(QStringLiteral("data"));
  root.mkpath(QStringLiteral("desktop"));
  // The desktop's database of file types and programs.
  qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("desktop"))));
  pointSettingsAt(root.filePath(QStringLiteral("settings")));
  setProgramDirectoryOverride(root.filePath(QStringLiteral("program")));
  copyTokenLists(root.filePath(QStringLiteral("program")));
  setUserDataDirectoryOverride(root.filePath(QStringLiteral("data")));
  // The runtime folder (local sockets of the main windows): one for the test
  // binary and the processes it starts.
  if (qEnvironmentVariableIsEmpty("TALLIX_TEST_RUNTIME_DIR")) {
    const QString runtime = root.filePath(QStringLiteral("runtime"));
    root.mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("TALLIX_TEST_RUNTIME_DIR", QFile::encodeName(runtime));
  }
  qputenv("XDG_RUNTIME_DIR", qgetenv("TALLIX_TEST_RUNTIME_DIR"));
}

bool startPeerTest(QProcess& peer, const QString& testName, const QString& name, const QString& value) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(name, value);
  return startPeerTest(peer, testName, environment);
}

bool startPeerTest(QProcess& peer, const QString& testName, const QProcessEnvironment& environment) {
  peer.setProcessEnvironment(environment);
  peer.start(QCoreApplication::applicationFilePath(),
             {QStringLiteral("--gtest_also_run_disabled_tests"), QStringLiteral("--gtest_filter=") + testName});
  if (!peer.waitForStarted(5000)) return false;
  // gtest's own lines come first.
  QByteArray line;
  while (line != "ready" && (peer.canReadLine() || peer.waitForReadyRead(10000))) line = peer.readLine().trimmed();
  return line == "ready";
}

void servePeerUntilStdinCloses() {
  std::printf("ready\n");
  std::fflush(stdout);
  QElapsedTimer alive;
  alive.start();
  for (char c; alive.elapsed() < 30000;) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    pollfd in{0, POLLIN, 0};
    if (poll(&in, 1, 10) > 0 && read(0, &c, 1) <= 0) break;
  }
}

}  // namespace tallix::test
