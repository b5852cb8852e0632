// Whole-file writes beside their target: the file a printer fills, never
// readable by more users than the target is, from its first byte to its
// commit; and every writer's way through links and with groups.
#include "platform/AtomicFile.h"
#include "platform/FileArchive.h"
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

mode_t modeOf(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : mode_t(07777);
}

gid_t groupOf(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_gid : gid_t(-1);
}

QString linkOf(const QString& path) {
  char target[4096];
  const ssize_t n = ::readlink(QFile::encodeName(path).constData(), target, sizeof target);
  return n > 0 ? QFile::decodeName(QByteArray(target, int(n))) : QString();
}

// The three ways the program writes a file whole: a staged file that
// another writer fills by its name (a printer), a write of bytes, and a
// CFile created for writing.
struct Writer {
  const char* name;
  std::function<bool(const QString& target, const QByteArray& bytes)> write;
};

const Writer kWriters[] = {
    {"staged",
     [](const QString& target, const QByteArray& bytes) {
       tallix::StagedFile staged(target);
       return !staged.path().isEmpty() && tallix::test::writeFileContents(staged.path(), bytes) && staged.Commit();
     }},
    {"atomic", [](const QString& target, const QByteArray& bytes) { return tallix::writeFileAtomically(target, bytes); }},
    {"cfile",
     [](const QString& target, const QByteArray& bytes) {
       CFile file;
       if (!file.Open(QFile::encodeName(target).constData(), CFile::modeCreate | CFile::modeWrite)) return false;
       file.Write(bytes.constData(), UINT(bytes.size()));
       file.Close();
       return true;
     }},
};

// The usual umask for the test's length.
class Umask022 {
 public:
  Umask022() : before_(::umask(022)) {}
  ~Umask022() { ::umask(before_); }

 private:
  mode_t before_;
};

TEST(StagedFile, IsReadableOnlyAsTheTargetIsUntilItIsWhole) {
  const Umask022 umask;
  QTemporaryDir dir;
  const QString kept = dir.filePath(QStringLiteral("kept.pdf")), shared = dir.filePath(QStringLiteral("shared.pdf")),
                fresh = dir.filePath(QStringLiteral("fresh.pdf"));
  ASSERT_TRUE(tallix::test::writeFileContents(kept, "old"));
  ASSERT_TRUE(tallix::test::writeFileContents(shared, "old"));
  ASSERT_EQ(::chmod(QFile::encodeName(kept).constData(), 0600), 0);
  ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0640), 0);
  // Target, mode of the staged file while it is filled, mode once committed.
  const struct {
    QString target;
    mode_t staged, committed;
  } cases[] = {{kept, 0600, 0600}, {shared, 0640, 0640}, {fresh, 0600, 0644}};
  for (const auto& c : cases) {
    tallix::StagedFile staged(c.target);
    ASSERT_FALSE(staged.path().isEmpty());
    EXPECT_EQ(modeOf(staged.path()), c.staged) << c.target.toStdString();
    ASSERT_TRUE(tallix::test::writeFileContents(staged.path(), "new"));
    ASSERT_TRUE(staged.Commit());
    EXPECT_EQ(modeOf(c.target), c.committed) << c.target.toStdString();
  }
}

// Written through a chain of links, each relative to its own folder, the
// file at the chain's end is replaced and every link stays as it was.
TEST(AtomicWrites, ReplaceTheFileAtTheEndOfAChainOfLinks) {
  QTemporaryDir dir;
  const QDir root(dir.path());
  ASSERT_TRUE(root.mkpath(QStringLiteral("sub")) && root.mkpath(QStringLiteral("other")));
  const QString real = root.filePath(QStringLiteral("sub/real.pdf"));
  const struct {
    QString link, target;
  } links[] = {{root.filePath(QStringLiteral("other/link1")), QStringLiteral("../link2")},
               {root.filePath(QStringLiteral("link2")), QStringLiteral("link3")},
               {root.filePath(QStringLiteral("link3")), QStringLiteral("sub/real.pdf")}};
  for (const auto& l : links)
    ASSERT_EQ(::symlink(QFile::encodeName(l.target).constData(), QFile::encodeName(l.link).constData()), 0);
  for (const Writer& w : kWriters) {
    SCOPED_TRACE(w.name);
    ASSERT_TRUE(tallix::test::writeFileContents(real, "old print"));
    ASSERT_TRUE(w.write(links[0].link, QByteArray("new print ") + w.name));
    EXPECT_EQ(tallix::test::fileContents(real), QByteArray("new print ") + w.name);
    for (const auto& l : links) EXPECT_EQ(linkOf(l.link), l.target) << l.link.toStdString();
    for (const QString& folder : {dir.path(), root.filePath(QStringLiteral("sub")), root.filePath(QStringLiteral("other"))})
      EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".real")), QStringList());
    QFile::remove(real);
  }
}

// Runs as another user for its length (effective ids only; the group stays).
class EffectiveUser {
 public:
  explicit EffectiveUser(uid_t user) : before_(::geteuid()) { changed_ = ::seteuid(user) == 0; }
  ~EffectiveUser() {
    if (changed_) (void)::seteuid(before_);
  }
  bool changed() const { return changed_; }

 private:
  uid_t before_;
  bool changed_ = false;
};

// The new file has the target's group with its permissions, while it is
// filled and once in place: the target's group keeps its rights and the
// writer's own gains none. A writer who may not give it that group (one not
// in it) leaves it the owner's rights alone.
TEST(AtomicWrites, GiveTheTargetsGroupOrOnlyTheOwnersRights) {
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file another group, and writing as another user, needs root";
  constexpr gid_t kStaff = 50;
  constexpr uid_t kNobody = 65534;
  ASSERT_NE(::getegid(), kStaff);
  QTemporaryDir dir;
  ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
  const QString target = dir.filePath(QStringLiteral("shared.pdf"));
  const QByteArray native = QFile::encodeName(target);
  auto makeTarget = [&](mode_t mode) {
    return tallix::test::writeFileContents(target, "old") && ::chown(native.constData(), 0, kStaff) == 0 &&
           ::chmod(native.constData(), mode) == 0;
  };
  {
    ASSERT_TRUE(makeTarget(0640));
    tallix::StagedFile staged(target);
    ASSERT_FALSE(staged.path().isEmpty());
    EXPECT_EQ(groupOf(staged.path()), kStaff);
    EXPECT_EQ(modeOf(staged.path()), 0640u);
  }
  for (const Writer& w : kWriters) {
    SCOPED_TRACE(w.name);
    ASSERT_TRUE(makeTarget(0640));
    ASSERT_TRUE(w.write(target, "new"));
    EXPECT_EQ(groupOf(target), kStaff);
    EXPECT_EQ(modeOf(target), 0640u);

    // Written by a user not in the target's group (which lets anyone write).
    ASSERT_TRUE(makeTarget(0666));
    bool written = false;
    {
      const EffectiveUser nobody(kNobody);
      ASSERT_TRUE(nobody.changed());
      written = w.write(target, "new");
    }
    ASSERT_TRUE(written);
    EXPECT_EQ(tallix::test::fileContents(target), "new");
    EXPECT_NE(groupOf(target), kStaff);
    EXPECT_EQ(modeOf(target), 0600u);
  }
}

}  // namespace
