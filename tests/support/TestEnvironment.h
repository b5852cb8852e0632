// A private world for one test: its own settings directory, program directory
// and user data folder, all removed when the object goes away. Nothing a test
// does reaches the user's own settings or files. The program directory starts
// with the built token lists (QXToken.tok, QXTokenV5.tok), which every
// document reads.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace tallix::test {

class TestEnvironment {
 public:
  enum Options { Empty = 0, WithLanguageLibrary = 1 };
  explicit TestEnvironment(int options = Empty);
  ~TestEnvironment();
  TestEnvironment(const TestEnvironment&) = delete;
  TestEnvironment& operator=(const TestEnvironment&) = delete;

  QString programDir() const { return program_.path(); }
  QString dataDir() const { return data_.path(); }
  QString settingsDir() const { return settings_.path(); }
  QString programFile(const QString& name) const;
  QString dataFile(const QString& name) const;

  // Writes a file into the private program directory.
  void writeProgramFile(const QString& name, const QByteArray& content) const;
  // Copies a file of the built program directory (build/bin) into the private
  // one; false when the build has no such file.
  bool copyFromBuild(const QString& name) const;

  // The program directory the build lays out.
  static QString builtProgramDir();
  // A file of the source tree, for test data kept beside the tests.
  static QString sourceFile(const QString& relative);

 private:
  QTemporaryDir settings_, program_, data_;
};

// A fresh, empty home folder for a scope: HOME and the desktop's settings
// folder (where the user's documents folder is named) point into it.
class ScopedHome {
 public:
  ScopedHome();
  ~ScopedHome();
  ScopedHome(const ScopedHome&) = delete;
  ScopedHome& operator=(const ScopedHome&) = delete;
  QString path() const { return dir_.path(); }

 private:
  QTemporaryDir dir_;
  QByteArray home_, config_;
};

// A program of the test's own first on the PATH for a scope: the shell
// script `script` as `name`, in a folder of its own.
class ScopedProgramOnPath {
 public:
  ScopedProgramOnPath(const QString& name, const QByteArray& script);
  ~ScopedProgramOnPath();
  ScopedProgramOnPath(const ScopedProgramOnPath&) = delete;
  ScopedProgramOnPath& operator=(const ScopedProgramOnPath&) = delete;
  // The program's folder, and a file there.
  QString path() const { return dir_.path(); }
  QString file(const QString& name) const { return dir_.filePath(name); }

 private:
  QTemporaryDir dir_;
  QByteArray path_;
};

// The bytes of a file, or "<missing>" when it cannot be read.
QByteArray fileContents(const QString& path);
// Writes `bytes` as the whole file; false when that fails.
bool writeFileContents(const QString& path, const QByteArray& bytes);

// Starts this test binary once more, running only the disabled test
// `testName` with the environment variable `name` set to `value`, and waits
// for its line "ready"; false when it does not come.
bool startPeerTest(QProcess& peer, const QString& testName, const QString& name, const QString& value);
// The same with the peer's whole environment.
bool startPeerTest(QProcess& peer, const QString& testName, const QProcessEnvironment& environment);

// The peer's side: writes "ready", then handles events until its standard
// input closes (at most 30 seconds).
void servePeerUntilStdinCloses();

// Points settings, program directory and data folder of the whole test binary
// at throw-away directories; installed by the test main before any test runs.
void isolateProcess();

}  // namespace tallix::test
