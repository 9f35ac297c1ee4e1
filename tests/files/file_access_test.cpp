// What the safe writer and the reader accept as a target or a source: regular files only, never
// the file being read, links followed; and the recovery copy's name.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <tuple>

#include "files/FileAccess.h"
#include "files/SafeWrite.h"
#include "tests/files/FileBytes.h"

namespace tavlex {
namespace {

using namespace test;

class FileAccessTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::string P(const char* name) const { return Path(dir.filePath(name)); }
  QStringList Entries(const char* sub = "") const {
    return QDir(dir.filePath(sub))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
  }
};

TEST_F(FileAccessTest, TheWriterReplacesOnlyRegularFilesThatAreNotBeingRead) {
  WriteAll(dir.filePath("old.txt"), "old");
  ::chmod(P("old.txt").c_str(), 0640);
  WriteAll(dir.filePath("input.dat"), "input");
  ASSERT_EQ(::symlink("old.txt", P("link.txt").c_str()), 0);
  ASSERT_EQ(::symlink("input.dat", P("input-link.dat").c_str()), 0);
  ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0644), 0);
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
  const std::string input = P("input.dat");
  const std::string_view inputs[] = {"unrelated", input};
  // The longest name the folder takes is written (its temporary name is cut to fit beside it).
  const std::string longest(static_cast<std::size_t>(::pathconf(P("").c_str(), _PC_NAME_MAX)), 'n');
  const std::string writtenAt[] = {P("new.txt"), P("old.txt"), P("old.txt"), P(longest.c_str())};
  const struct {
    std::string target;
    PathProblem problem;
    std::string written;  // the file that holds the new bytes afterwards
  } rows[] = {
      {P("new.txt"), PathProblem::None, writtenAt[0]},
      {P("old.txt"), PathProblem::None, writtenAt[1]},
      {P("link.txt"), PathProblem::None, writtenAt[2]},  // through the link, which stays
      {P("fifo"), PathProblem::IsPipe, ""},
      {P("folder"), PathProblem::IsFolder, ""},
      {"/dev/null", PathProblem::IsDevice, ""},
      {P("input.dat"), PathProblem::SameAsInput, ""},
      {P("input-link.dat"), PathProblem::SameAsInput, ""},
      {P("no/such.txt"), PathProblem::NoFolder, ""},
      {P("old.txt/x"), PathProblem::NoFolder, ""},
      {P(longest.c_str()), PathProblem::None, writtenAt[3]},
      {P((longest + "n").c_str()), PathProblem::NameTooLong, ""},
      {P((longest + "n/x").c_str()), PathProblem::NameTooLong, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.target);
    EXPECT_EQ(CheckOutputPath(row.target, inputs), row.problem);
    SafeWriter out(row.target, inputs);
    ASSERT_EQ(out.Open(), row.problem == PathProblem::None);
    EXPECT_EQ(out.Problem(), row.problem);
    EXPECT_EQ(out.Write("new bytes", 9), row.problem == PathProblem::None);
    EXPECT_EQ(out.Commit(), row.problem == PathProblem::None);
    if (!row.written.empty()) {
      EXPECT_EQ(ReadAll(QString::fromStdString(row.written)), "new bytes");
    }
  }
  struct stat st;
  ASSERT_EQ(::stat(P("old.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // a replaced file keeps its permissions
  ASSERT_EQ(::lstat(P("link.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(ReadAll(dir.filePath("input.dat")), "input");
  ASSERT_EQ(::stat(P("fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  // Nothing is left beside the targets, and nothing went into the folder.
  EXPECT_EQ(Entries(), (QStringList{"fifo", "folder", "input-link.dat", "input.dat", "link.txt",
                                    "new.txt", QString::fromStdString(longest), "old.txt"}));
  EXPECT_EQ(PathProblemReason(PathProblem::NameTooLong), "its name is too long");
  EXPECT_EQ(Entries("folder"), QStringList());
}

TEST_F(FileAccessTest, AWriterThatKeepsExistingFilesNeverReplacesOne) {
  ASSERT_EQ(::symlink("nowhere", P("link.dat").c_str()), 0);  // a name taken, though dangling
  // Name; a file appears before Commit; whether the new bytes are put in place.
  const std::tuple<const char*, bool, bool> rows[] = {
      {"free.dat", false, true}, {"link.dat", false, false}, {"meanwhile.dat", true, false}};
  for (const auto& [name, appears, written] : rows) {
    SCOPED_TRACE(name);
    SafeWriter out(P(name), Existing::Keep);
    out.Open();
    if (appears) WriteAll(dir.filePath(name), "theirs");
    out.Write("ours", 4);
    EXPECT_EQ(out.Commit(), written);
    EXPECT_EQ(out.Problem(), written ? PathProblem::None : PathProblem::Taken);
  }
  EXPECT_EQ(ReadAll(dir.filePath("free.dat")) + ReadAll(dir.filePath("meanwhile.dat")),
            "ourstheirs");
  EXPECT_EQ(Entries().size(), 3);  // nothing beside them, nothing through the link
}

TEST_F(FileAccessTest, OnlyARegularFileIsOpenedForReading) {
  WriteAll(dir.filePath("a.dat"), "spectrum");
  ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0644), 0);
  const std::pair<std::string, PathProblem> rows[] = {
      {P("a.dat"), PathProblem::None},
      {P("fifo"), PathProblem::IsPipe},
      {dir.path().toStdString(), PathProblem::IsFolder},
      {"/dev/zero", PathProblem::IsDevice},
      {P("none.dat"), PathProblem::Missing},
      {P("a.dat/x"), PathProblem::Missing},
  };
  for (const auto& [path, problem] : rows) {
    SCOPED_TRACE(path);
    QFile file;
    // A pipe opened for reading would wait here for a writer that never comes.
    EXPECT_EQ(OpenInputFile(path, file), problem);
    EXPECT_EQ(file.isOpen(), problem == PathProblem::None);
    if (file.isOpen()) {
      EXPECT_EQ(file.readAll(), "spectrum");
    }
  }
}

TEST_F(FileAccessTest, TheRecoveryCopyIsANewFileInTheUsersDataFolder) {
  const QByteArray old = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", dir.filePath("data").toLocal8Bit());
  const std::string first = RecoveryPath("/gone/folder/steel.dat");
  const std::string folder = P("data/tavlex/recovered/");
  EXPECT_TRUE(first.starts_with(folder + "steel-")) << first;
  EXPECT_TRUE(first.ends_with(".dat"));
  // steel-YYYYMMDD-HHMMSS.dat
  EXPECT_EQ(first.size(), folder.size() + std::string("steel-20261208-093000.dat").size());
  WriteAll(QString::fromStdString(first), "taken");
  const std::string second = RecoveryPath("steel.dat");
  EXPECT_NE(second, first);
  EXPECT_TRUE(second.starts_with(folder + "steel-")) << second;
  qputenv("XDG_DATA_HOME", old);
}

}  // namespace
}  // namespace tavlex
