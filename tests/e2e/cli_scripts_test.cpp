// The command line as scripts use it: outputs checked before a run, interrupts that save,
// standard output that fails, pipes and devices, valid JSON, names in any encoding, batches.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

#include "tests/e2e/RawRun.h"
#include "tests/files/FileBytes.h"

namespace tavlex::e2e {
namespace {

using namespace test;

class CliScriptsTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;

  // Paths are bytes here, as the program gets them.
  std::string P(std::string_view name) const {
    return QFile::encodeName(dir.path()).toStdString() + "/" + std::string(name);
  }
  static void Put(const std::string& path, const QByteArray& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, bytes.constData(), bytes.size()), bytes.size());
    ::close(fd);
  }
  static QByteArray Get(const std::string& path) {
    QByteArray bytes;
    const int fd = ::open(path.c_str(), O_RDONLY);
    char buffer[8192];
    for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
      bytes.append(buffer, n);
    if (fd >= 0) ::close(fd);
    return bytes;
  }
  static bool IsFifo(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
  }
  // A spectrum of `channels` channels with its times and a comment (count i = 3 i + 1).
  static QByteArray Sample(int channels, const char* comment = "brass") {
    QByteArray b = DatFile(channels, channels);
    PutLE(b, kPresetAt, 1000, 4);
    PutLE(b, kRealAt, 1000, 4);
    PutLE(b, kLiveAt, 975, 4);
    std::memcpy(b.data() + kCommentAt, comment, std::strlen(comment));
    return b;
  }
  static QJsonObject Json(const std::string& line) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << line;
    return doc.object();
  }
};

// The real time the last progress bar on a terminal shows, -1 before the first.
double ProgressSeconds(const std::string& err) {
  const std::size_t bar = err.rfind("] ");
  const std::size_t of = err.find(" / ", bar == std::string::npos ? 0 : bar);
  if (bar == std::string::npos || of == std::string::npos) return -1;
  return std::atof(err.substr(bar + 2, of - bar - 2).c_str());
}

TEST_F(CliScriptsTest, AcquireChecksItsOutputBeforeTheAnalyserIsOpened) {
  ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0644), 0);
  const struct {
    std::string out, reason;
  } rows[] = {
      {P("missing/run.dat"), "its folder does not exist"},
      {P(""), "is a folder, not a file"},
      {P("fifo"), "is a pipe, not a file"},
      {"/dev/null", "is a device, not a file"},
      {P(std::string(260, 'x')), "longer than 255 characters"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.out);
    RawChild child;
    const auto start = std::chrono::steady_clock::now();
    // A 100-second run: an answer within a few seconds means nothing was measured.
    EXPECT_EQ(RunRaw(child, {"acquire", row.out, "--preset", "100", "--simulate"}), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_NE(child.err.find(row.reason + "; nothing was measured"), std::string::npos)
        << child.err;
    EXPECT_TRUE(child.out.empty());
  }
  EXPECT_TRUE(IsFifo(P("fifo")));
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("missing")));
}

TEST_F(CliScriptsTest, SigtermAndSighupEndARunAsCtrlCDoes) {
  for (const auto& [signal, name] : {std::pair{SIGTERM, "SIGTERM"}, std::pair{SIGHUP, "SIGHUP"}}) {
    SCOPED_TRACE(name);
    const std::string out = P(std::string(name) + ".dat");
    RawChild child;
    ASSERT_TRUE(child.Start({"acquire", out, "--preset", "100", "--simulate", "--channels", "1024"},
                            StderrTerminal()));
    ASSERT_TRUE(
        child.WaitForErr([](const std::string& e) { return ProgressSeconds(e) >= 0.3; }, 20000))
        << child.err;
    child.Signal(signal);
    EXPECT_EQ(child.Finish(20000), 130) << child.err;
    EXPECT_NE(child.err.find(std::string("stopped by ") + name +
                             "; what was acquired is saved in " + out),
              std::string::npos)
        << child.err;
    const QByteArray file = Get(out);
    ASSERT_EQ(file.size(), 1024 + 4 * 1024);
    EXPECT_EQ(I16(file, kChannelSizeAt), 1024);
    EXPECT_EQ(I32(file, kPresetAt), 1000);
    EXPECT_GE(I32(file, kRealAt), 3);
    EXPECT_LT(I32(file, kRealAt), 1000);
    EXPECT_LE(I32(file, kLiveAt), I32(file, kRealAt));
    EXPECT_EQ(file.left(20), "Velmoratek Co., Ltd.");
    std::int64_t total = 0;
    for (int c = 0; c < 1024; ++c) total += I32(file, kCountsAt + 4 * c);
    // About 15 000 counts a second for at least 0.3 s.
    EXPECT_GT(total, 2000);
  }
}

TEST_F(CliScriptsTest, ASaveThatFailsAfterTheRunGoesToARecoveryCopy) {
  ASSERT_TRUE(QDir(dir.path()).mkdir("run"));
  const std::string out = P("run/steel.dat");
  RawChild child;
  ASSERT_TRUE(child.Start({"acquire", out, "--preset", "100", "--simulate", "--channels", "256"},
                          StderrTerminal({"XDG_DATA_HOME=" + P("data")})));
  ASSERT_TRUE(
      child.WaitForErr([](const std::string& e) { return ProgressSeconds(e) >= 0.2; }, 20000));
  // The folder goes away while the run is under way.
  ASSERT_EQ(::rmdir(P("run").c_str()), 0);
  child.Signal(SIGTERM);
  EXPECT_EQ(child.Finish(20000), 1);
  const std::string said = out + ": its folder does not exist; the spectrum is saved in ";
  const std::size_t at = child.err.find(said);
  ASSERT_NE(at, std::string::npos) << child.err;
  const std::string copy =
      child.err.substr(at + said.size(), child.err.find_first_of("\r\n", at) - at - said.size());
  EXPECT_TRUE(copy.starts_with(P("data/tavlex/recovered/steel-"))) << copy;
  const QByteArray file = Get(copy);
  ASSERT_EQ(file.size(), 1024 + 4 * 256);
  EXPECT_EQ(I16(file, kChannelSizeAt), 256);
  EXPECT_GE(I32(file, kRealAt), 2);
}

TEST_F(CliScriptsTest, AcquireStoresItsTextsInTheHeadersLatin1) {
  std::string e31;
  for (int i = 0; i < 31; ++i) e31 += "\xC3\xA9";  // é in UTF-8
  const std::string e32 = e31 + "\xC3\xA9";
  const std::string out = P("t.dat");
  RawChild child;
  ASSERT_EQ(RunRaw(child, {"acquire", out, "--preset", "0.1", "--simulate", "--channels", "256",
                           "--comment", "Stahl \"\xC3\xA9\" \xC2\xB5m", "--sample-id", e31}),
            0)
      << child.err;
  const QByteArray file = Get(out);
  EXPECT_EQ(file.mid(kCommentAt, 13), QByteArray("Stahl \"\xE9\" \xB5m\0", 13));
  EXPECT_EQ(file.mid(kSampleIdAt, 32), QByteArray(31, '\xE9') + '\0');
  ASSERT_EQ(RunRaw(child, {"info", out, "--json"}), 0);
  EXPECT_EQ(Json(child.out)["comment"].toString(), QString::fromUtf8("Stahl \"é\" µm"));
  EXPECT_EQ(Json(child.out)["sample_id"].toString(), QString::fromStdString(e31));
  // Neither a character Latin-1 lacks nor a 32nd one fits the header.
  for (const std::string& text : {std::string("\xCF\x80"), e32}) {
    EXPECT_EQ(RunRaw(child, {"acquire", out, "--preset", "0.1", "--simulate", "--comment", text}),
              2);
    EXPECT_TRUE(child.err.starts_with("tavlex: acquire: --comment ")) << child.err;
  }
}

TEST_F(CliScriptsTest, StandardOutputThatFailsEndsWithAFailure) {
  Put(P("a.dat"), Sample(256));
  const struct {
    std::vector<std::string> args;
    RawOptions options;
  } rows[] = {
      {{"info", P("a.dat")}, StdoutTo("/dev/full")},
      {{"info", P("a.dat"), "--json"}, StdoutTo("/dev/full")},
      {{"info", P("a.dat")}, StdoutReaderGone()},
      {{"info", P("a.dat"), P("a.dat"), P("a.dat")}, StdoutReaderGone()},
      {{"info", P("a.dat"), P("a.dat")}, StdoutClosed()},
      {{"dump", "--help"}, StdoutTo("/dev/full")},
      {{"--version"}, StdoutTo("/dev/full")},
      {{"render", P("a.dat"), P("a.png"), "--help"}, StdoutReaderGone()},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args[0] + (row.options.stdoutReaderGone ? " into a closed pipe"
                                : row.options.stdoutClosed   ? " without stdout"
                                                             : " into a full device"));
    RawChild child;
    EXPECT_EQ(RunRaw(child, row.args, row.options), 1);
    EXPECT_TRUE(child.err.starts_with("tavlex: standard output: ")) << child.err;
    // One message, even when several files were to be printed.
    EXPECT_EQ(std::count(child.err.begin(), child.err.end(), '\n'), 1) << child.err;
  }
}

TEST_F(CliScriptsTest, PipesDevicesAndFoldersAreRefusedWithoutWaiting) {
  Put(P("a.dat"), Sample(256));
  ASSERT_EQ(::mkfifo(P("fifo").c_str(), 0644), 0);
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));
  const struct {
    std::vector<std::string> args;
    std::string complaint;
  } rows[] = {
      {{"info", P("fifo")}, P("fifo") + ": is a pipe, not a file"},
      {{"dump", P("fifo"), P("out.txt")}, P("fifo") + ": is a pipe, not a file"},
      {{"info", "/dev/zero"}, "/dev/zero: is a device, not a file"},
      {{"info", P("folder")}, P("folder") + ": is a folder, not a file"},
      {{"dump", P("a.dat"), P("fifo")}, P("fifo") + ": is a pipe, not a file"},
      {{"render", P("a.dat"), P("fifo")}, P("fifo") + ": is a pipe, not a file"},
      {{"dump", P("a.dat"), "/dev/null"}, "/dev/null: is a device, not a file"},
      {{"dump", P("a.dat"), P("folder")}, P("folder") + ": is a folder, not a file"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args[0] + " " + row.args[1]);
    RawChild child;
    ASSERT_TRUE(child.Start(row.args));
    // A program that waited on the pipe would be killed here and fail the row.
    EXPECT_EQ(child.Finish(10000), 1);
    EXPECT_EQ(child.err, "tavlex: " + row.complaint + "\n");
  }
  EXPECT_TRUE(IsFifo(P("fifo")));
  EXPECT_EQ(QDir(dir.filePath("folder")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
            QStringList());
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("out.txt")));
}

TEST_F(CliScriptsTest, AnOutputIsNeverTheFileBeingRead) {
  const QByteArray sample = Sample(256);
  Put(P("x.dat"), sample);
  ASSERT_EQ(::symlink(P("x.dat").c_str(), P("link.dat").c_str()), 0);
  // A .dat named .txt, dumped into its own folder: its dump would have its name.
  Put(P("y.txt"), sample);
  const std::vector<std::string> rows[] = {
      {"dump", P("x.dat"), P("x.dat")},
      {"dump", P("x.dat"), P("link.dat")},
      {"render", P("x.dat"), P("x.dat")},
      {"dump", P("y.txt"), "--out-dir", P("")},
  };
  for (const auto& args : rows) {
    SCOPED_TRACE(args[2]);
    RawChild child;
    EXPECT_EQ(RunRaw(child, args), 1);
    EXPECT_NE(child.err.find(": is the file being read; it is not written over"), std::string::npos)
        << child.err;
  }
  EXPECT_EQ(Get(P("x.dat")), sample);
  EXPECT_EQ(Get(P("y.txt")), sample);
  struct stat st;
  ASSERT_EQ(::lstat(P("link.dat").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  // Written through a link to another file, the file it points to gets the dump, the link stays.
  Put(P("old.txt"), "old");
  ASSERT_EQ(::symlink(P("old.txt").c_str(), P("to-old.txt").c_str()), 0);
  RawChild child;
  EXPECT_EQ(RunRaw(child, {"dump", P("x.dat"), P("to-old.txt")}), 0) << child.err;
  EXPECT_TRUE(Get(P("old.txt")).startsWith("*** Orvanel Co."));
  ASSERT_EQ(::lstat(P("to-old.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

// Header bytes a damaged or foreign file may hold, and what info makes of them.
TEST_F(CliScriptsTest, InfoPrintsValidJsonAndOneLinePerKeyWhateverTheHeaderHolds) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    const char* what;
    float marker, slope, offset;
    QByteArray comment;
    QJsonValue jsonSlope, jsonOffset;
    QString jsonComment;
    std::string textComment;
  } rows[] = {
      {"uncalibrated", 1.0f, 0, 0, "plain", QJsonValue::Undefined, QJsonValue::Undefined, "plain",
       "plain"},
      {"calibrated", 0.0f, 0.5f, -2.0f, "plain", 0.5, -2.0, "plain", "plain"},
      {"NaN slope", 0.0f, nan, 1.0f, "x", QJsonValue::Null, 1.0, "x", "x"},
      {"infinite offset", 0.0f, 0.02f, -inf, "x", 0.02, QJsonValue::Null, "x", "x"},
      {"quotes, backslash", 1.0f, 0, 0, "say \"hi\" \\ C:\\d", QJsonValue::Undefined,
       QJsonValue::Undefined, "say \"hi\" \\ C:\\d", "say \"hi\" \\\\ C:\\\\d"},
      {"control characters", 1.0f, 0, 0, "a\nb\r\tc\x01\x1f", QJsonValue::Undefined,
       QJsonValue::Undefined, "a\nb\r\tc\x01\x1f", "a\\nb\\r\\tc\\x01\\x1F"},
      {"Latin-1", 1.0f, 0, 0, "Probe \xE9\xE8 5 \xB5m \xFF", QJsonValue::Undefined,
       QJsonValue::Undefined, QString::fromUtf8("Probe éè 5 µm ÿ"), "Probe éè 5 µm ÿ"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    QByteArray b = Sample(512, "");
    PutF32(b, kMarkerAt, row.marker);
    PutF32(b, kSlopeAt, row.slope);
    PutF32(b, kOffsetAt, row.offset);
    b.replace(kCommentAt, row.comment.size(), row.comment);
    Put(P("h.dat"), b);

    RawChild json;
    ASSERT_EQ(RunRaw(json, {"info", P("h.dat"), "--json"}), 0) << json.err;
    ASSERT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 1);
    const QJsonObject o = Json(json.out);
    EXPECT_EQ(o["calibrated"], QJsonValue(row.marker != 1.0f));
    for (const auto& [key, want] :
         {std::pair{"slope", row.jsonSlope}, {"offset", row.jsonOffset}}) {
      EXPECT_EQ(o[key].type(), want.type()) << key;
      if (want.isDouble()) {
        EXPECT_NEAR(o[key].toDouble(), want.toDouble(), 1e-6) << key;
      }
    }
    EXPECT_EQ(o["comment"].toString(), row.jsonComment);
    EXPECT_EQ(o["max_count"].toObject()["count"].toInt(), 3 * 511 + 1);
    EXPECT_EQ(o["max_count"].toObject()["channel"].toInt(), 511);

    RawChild text;
    ASSERT_EQ(RunRaw(text, {"info", P("h.dat")}), 0);
    const QStringList lines = QString::fromStdString(text.out).split('\n', Qt::SkipEmptyParts);
    // file, channels, three times, calibrated, (slope, offset,) date, comment, sample, 2 totals.
    EXPECT_EQ(lines.size(), row.marker == 1.0f ? 11 : 13);
    for (const QString& line : lines)
      EXPECT_TRUE(QRegularExpression("^[a-z_]+: ").match(line).hasMatch()) << line.toStdString();
    EXPECT_NE(text.out.find("\ncomment: " + row.textComment + "\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(row.marker == 1.0f ? "\ncalibrated: no\n" : "\ncalibrated: yes\n"),
              std::string::npos);
  }
}

TEST_F(CliScriptsTest, NamesAreTheBytesTheFileSystemHas) {
  const QByteArray sample = Sample(256);
  const std::string latin1 = P("caf\xE9.dat"), utf8 = P("na\xC3\xAFve.dat");
  Put(latin1, sample);
  Put(utf8, sample);
  RawChild text;
  ASSERT_EQ(RunRaw(text, {"info", latin1}), 0) << text.err;
  EXPECT_TRUE(text.out.starts_with("file: " + latin1 + "\n"));
  // In JSON a name that is UTF-8 is kept; any other byte is taken as Latin-1.
  RawChild json;
  ASSERT_EQ(RunRaw(json, {"info", latin1, utf8, "--json"}), 0) << json.err;
  const std::size_t cut = json.out.find('\n');
  EXPECT_EQ(Json(json.out.substr(0, cut))["file"].toString(),
            QString::fromUtf8(P("caf\xC3\xA9.dat")));
  EXPECT_EQ(Json(json.out.substr(cut + 1))["file"].toString(), QString::fromUtf8(utf8));

  RawChild dump;
  ASSERT_EQ(RunRaw(dump, {"dump", latin1, P("r\xE9sum\xE9.txt")}), 0) << dump.err;
  EXPECT_TRUE(Get(P("r\xE9sum\xE9.txt")).contains("Data File Name, r\xE9sum\xE9.txt\r\n"));
  ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
  ASSERT_EQ(RunRaw(dump, {"dump", latin1, "--out-dir", P("out")}), 0) << dump.err;
  EXPECT_EQ(Get(P("out/caf\xE9.txt")).count("\r\n"), 11 + 256);
  // The temporary folder's own clean-up goes by names it can spell.
  for (const std::string& name : {latin1, P("r\xE9sum\xE9.txt"), P("out/caf\xE9.txt")})
    EXPECT_EQ(::unlink(name.c_str()), 0) << name;
}

TEST_F(CliScriptsTest, RenderKeepsTheViewAndCursorInsideTheSpectrum) {
  Put(P("s.dat"), Sample(256));
  const struct {
    std::vector<std::string> options;
    int status;
  } rows[] = {
      {{"--view", "0-255"}, 0}, {{"--view", "100-256"}, 2}, {{"--view", "0-4095"}, 2},
      {{"--cursor", "255"}, 0}, {{"--cursor", "300"}, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.options[0] + " " + row.options[1]);
    std::vector<std::string> args = {"render", P("s.dat"), P("s.png")};
    args.insert(args.end(), row.options.begin(), row.options.end());
    ::unlink(P("s.png").c_str());
    RawChild child;
    EXPECT_EQ(RunRaw(child, args), row.status) << child.err;
    EXPECT_EQ(QFileInfo::exists(dir.filePath("s.png")), row.status == 0);
    if (row.status == 2) {
      EXPECT_NE(child.err.find("the file's 256 channels (0-255)"), std::string::npos) << child.err;
    }
  }
}

TEST_F(CliScriptsTest, BatchesGoOnPastAFileThatFails) {
  Put(P("a.dat"), Sample(256, "first"));
  Put(P("bad.dat"), DatFile(1024, 100));  // cut short
  Put(P("b.dat"), Sample(512, "second"));
  const std::vector<std::string> files = {P("a.dat"), P("bad.dat"), P("missing.dat"), P("b.dat")};
  const std::string badSaid = "tavlex: " + P("bad.dat") +
                              ": 100 channels found, the header declares 1024\n" +
                              "tavlex: " + P("missing.dat") + ": no such file\n";

  std::vector<std::string> args = {"info"};
  args.insert(args.end(), files.begin(), files.end());
  RawChild text;
  EXPECT_EQ(RunRaw(text, args), 1);
  EXPECT_EQ(text.err, badSaid);
  const std::size_t blank = text.out.find("\n\n");
  ASSERT_NE(blank, std::string::npos);
  EXPECT_TRUE(text.out.starts_with("file: " + P("a.dat") + "\nchannels: 256\n"));
  EXPECT_TRUE(text.out.substr(blank + 2).starts_with("file: " + P("b.dat") + "\nchannels: 512\n"));

  args.push_back("--json");
  RawChild json;
  EXPECT_EQ(RunRaw(json, args), 1);
  EXPECT_EQ(json.err, badSaid);
  const QStringList lines = QString::fromStdString(json.out).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(Json(lines[0].toStdString())["comment"].toString(), "first");
  EXPECT_EQ(Json(lines[1].toStdString())["channels"].toInt(), 512);

  ASSERT_TRUE(QDir(dir.path()).mkdir("out"));
  args = {"dump", "--out-dir", P("out")};
  args.insert(args.end(), files.begin(), files.end());
  RawChild dump;
  EXPECT_EQ(RunRaw(dump, args), 1);
  EXPECT_EQ(dump.err, badSaid);
  EXPECT_EQ(QDir(dir.filePath("out")).entryList(QDir::Files), (QStringList{"a.txt", "b.txt"}));
  EXPECT_EQ(Get(P("out/b.txt")).count("\r\n"), 11 + 512);
  // After "--" a name that starts with '-' is a file.
  Put(P("-x.dat"), Sample(256));
  RawOptions inDir;
  inDir.cwd = P("");
  ASSERT_EQ(RunRaw(json, {"info", "--json", "--", "-x.dat"}, inDir), 0) << json.err;
  EXPECT_EQ(Json(json.out)["file"].toString(), "-x.dat");
  ASSERT_EQ(RunRaw(dump, {"dump", "--out-dir", "out", "--", "-x.dat"}, inDir), 0) << dump.err;
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("out/-x.txt")));
  EXPECT_EQ(RunRaw(dump, {"info", "-x.dat"}, inDir), 2);
  // A folder that is not there fails at once, before any file is read.
  args[2] = P("nowhere");
  EXPECT_EQ(RunRaw(dump, args), 1);
  EXPECT_EQ(dump.err, "tavlex: " + P("nowhere") + ": no such folder\n");
}

}  // namespace
}  // namespace tavlex::e2e
