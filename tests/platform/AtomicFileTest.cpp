// The file a printer fills beside its target: never readable by more users
// than the target is, from its first byte to its commit.
#include "platform/AtomicFile.h"
#include "tests/support/TestEnvironment.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

mode_t modeOf(const QString& path) {
  struct stat st {};
  return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 0777 : mode_t(07777);
}

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

}  // namespace
