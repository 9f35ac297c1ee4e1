// Failed writes: the file that was there before survives, nothing half-written is left behind,
// and the status box says so.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <csignal>
#include <vector>

#include "files/SpectrumFile.h"
#include "tests/files/FileBytes.h"

namespace tavlex {

// The folders this test program has synced to the disk, oldest first (fsync below).
std::vector<ino_t> syncedFolders;

namespace {

using namespace test;

// Lets the system refuse writes beyond `bytes`, as a full disk would, for this process only.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  bool ok() const { return ok_; }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
  bool ok_ = false;
};

using WriteCommand = FileResult (*)(AppState&, MainWindowPort&, std::string_view);
const std::pair<const char*, WriteCommand> kCommands[] = {{"dat", &WriteSpectrumFile},
                                                          {"dump", &WriteAsciiDump}};

class SafeWriteTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Headless h;
  AppState& s = *h.s;
  QString file = dir.filePath("good.file");
  QByteArray good = QByteArray("a good file from yesterday");

  void SetUp() override {
    WriteAll(file, good);
    h.w.SetText(Field::Edit1, "Status");
  }
  WriteCommand command = nullptr;
  FileResult Write(const QString& to) { return command(s, h.w, Path(to)); }
  QStringList Entries() const {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  }
};

TEST_F(SafeWriteTest, AShortWriteKeepsTheOldFile) {
  for (auto [name, cmd] : kCommands) {
    SCOPED_TRACE(name);
    command = cmd;
    // Inside the header, inside the counts or channel lines, and two bytes short of a whole .dat.
    for (rlim_t limit : {500, 3000, 1024 + 4 * 4096 - 2}) {
      SCOPED_TRACE(limit);
      FileResult r;
      {
        FileSizeLimit full(limit);
        ASSERT_TRUE(full.ok());
        r = Write(file);
      }
      EXPECT_EQ(r.status, FileStatus::WriteError);
      EXPECT_EQ(h.w.Text(Field::Edit1), "File Write Error !");
      EXPECT_EQ(ReadAll(file), good);
      EXPECT_EQ(Entries(), QStringList{"good.file"});
    }
    h.w.SetText(Field::Edit1, "Status");
    EXPECT_TRUE(Write(file).ok());
    EXPECT_GT(ReadAll(file).size(), 1024 + 4 * 4096 - 2);
    EXPECT_EQ(h.w.Text(Field::Edit1), "Status");
    EXPECT_EQ(Entries(), QStringList{"good.file"});
    WriteAll(file, good);
  }
}

TEST_F(SafeWriteTest, ATargetThatCannotBeCreatedIsReported) {
  for (auto [name, cmd] : kCommands) {
    command = cmd;
    for (const QString& to : {dir.filePath("no/such/folder/x.file"), dir.path()}) {
      SCOPED_TRACE(name + (" " + to.toStdString()));
      h.w.SetText(Field::Edit1, "Status");
      EXPECT_EQ(Write(to).status, FileStatus::CannotOpen);
      EXPECT_EQ(h.w.Text(Field::Edit1), "File Write Error !");
    }
  }
  EXPECT_EQ(Entries(), QStringList{"good.file"});
}

TEST_F(SafeWriteTest, TheFolderIsPutOnTheDiskOnceTheNewNameIsInIt) {
  struct stat folder;
  ASSERT_EQ(::stat(Path(dir.path()).c_str(), &folder), 0);
  for (auto [name, cmd] : kCommands) {
    SCOPED_TRACE(name);
    command = cmd;
    syncedFolders.clear();
    ASSERT_TRUE(Write(file).ok());
    EXPECT_EQ(syncedFolders, std::vector<ino_t>{folder.st_ino});
  }
}

}  // namespace
}  // namespace tavlex

// The fsync calls of this test program: a folder's is noted, and every call goes on to the system.
extern "C" int fsync(int fd) {
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) tavlex::syncedFolders.push_back(st.st_ino);
  return static_cast<int>(::syscall(SYS_fsync, fd));
}
