// Spectra of other programs read through the one entry: small files of each format with their
// quirks, the refusals, binning and padding, the format chosen by content, and every export of
// this program read back.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>
#include <string>

#include "app/Convert.h"
#include "files/Export.h"
#include "files/SpectrumFormats.h"
#include "tests/files/FileBytes.h"

namespace tavlex {
namespace {

using namespace test;

struct Case {
  const char* what;
  SpectrumFormat format;
  const char* text;
  int channels;             // after padding
  std::int32_t first[4];    // the first four counts
  float slope, offset;      // 0, 0: no calibration
  std::int32_t live, real;  // 0.1 s
  AcqDate date;
  const char *comment, *sampleId, *note;
};

const Case kCases[] = {
    {"msa keV, commas, CR LF, BOM",
     SpectrumFormat::Msa,
     "\xEF\xBB\xBF#FORMAT      : EMSA/MAS Spectral Data File\r\n#VERSION : 1.0\r\n"
     "#TITLE : Cu grid\r\n#DATE : 07-Jul-1998\r\n#TIME : 18:49\r\n#NPOINTS : 6.\r\n"
     "#XUNITS : KeV\r\n#DATATYPE : Y\r\n#XPERCHAN : 0.01\r\n#OFFSET : 0.65\r\n"
     "#LIVETIME -s: 97.54\r\n#REALTIME -s: 100\r\n#COMMENT : Sample ID C-3\r\n"
     "#SPECTRUM : here\r\n1, 2, 3,\r\n4.4, 5, 6\r\n#ENDOFDATA : \r\n",
     256,
     {1, 2, 3, 4},
     0.01f,
     0.65f,
     975,
     1000,
     {1998, 7, 7, 18, 49, 0},
     "Cu grid",
     "C-3",
     "padded with zeros from 6 to 256 channels"},
    {"msa eV XY, lower case",
     SpectrumFormat::Msa,
     "#format : EMSA/MAS\n#xunits : eV\n#datatype : XY\n#spectrum :\n"
     "100, 7\n120, 8\n140, 9\n#endofdata :\n",
     256,
     {7, 8, 9, 0},
     0.02f,
     0.1f,
     0,
     0,
     {},
     "",
     "",
     "padded with zeros from 3 to 256 channels"},
    {"pmca eV points, ROI, configuration after END",
     SpectrumFormat::Pmca,
     "<<PMCA SPECTRUM>>\nTAG - Am241\nDESCRIPTION - Am source; Sample ID A-1\nLIVE_TIME - 3983.72\n"
     "REAL_TIME - 4000.000000\nSTART_TIME - 10/20/1998 12:17:17\n<<CALIBRATION>>\n"
     "LABEL - Energy (eV)\n0 100\n100 2100\n<<ROI>>\n1 2\n<<DATA>>\n5\n6\n7\n8\n<<END>>\n"
     "<<DPP CONFIGURATION>>\n-1\n",
     256,
     {5, 6, 7, 8},
     0.02f,
     0.1f,
     39837,
     40000,
     {1998, 10, 20, 12, 17, 17},
     "Am source",
     "A-1",
     "padded with zeros from 4 to 256 channels"},
    {"pmca three points off a line",
     SpectrumFormat::Pmca,
     "<<PMCA SPECTRUM>>\n<<CALIBRATION>>\nLABEL - keV\n0 0\n10 1\n20 3\n<<DATA>>\n1\n<<END>>\n",
     256,
     {1, 0, 0, 0},
     0.15f,
     -1.0f / 6,
     0,
     0,
     {},
     "",
     "",
     "padded with zeros from 1 to 256 channels, calibration reduced to a line"},
    {"plain mca, comments, decimals",
     SpectrumFormat::Columns,
     "# counts of a detector\n# one to a line\n10\n9.\n8.6\n7\n",
     256,
     {10, 9, 9, 7},
     0,
     0,
     0,
     0,
     {},
     "",
     "",
     "padded with zeros from 4 to 256 channels"},
    {"spe mca_cal with a unit and a square term",
     SpectrumFormat::Spe,
     "$SPEC_ID:\r\nx\r\n$DATA: 2 5\r\n1 2 3 4\r\n$MCA_CAL:\r\n3\r\n-0.5 0.02 1E-6 keV\r\n",
     256,
     {0, 0, 1, 2},
     0.02f,
     -0.5f,
     0,
     0,
     {},
     "x",
     "",
     "padded with zeros from 6 to 256 channels, "
     "calibration reduced to a line"},
    {"csv channel,counts with a header",
     SpectrumFormat::Columns,
     "channel,counts\n0,4\n1,5\n2,6\n",
     256,
     {4, 5, 6, 0},
     0,
     0,
     0,
     0,
     {},
     "",
     "",
     "padded with zeros from 3 to 256 channels"},
    {"semicolons with decimal commas, energy and counts",
     SpectrumFormat::Columns,
     "Energy (keV);Counts\n0,5;1\n0,75;2\n1,0;3\n",
     256,
     {1, 2, 3, 0},
     0.25f,
     0.5f,
     0,
     0,
     {},
     "",
     "",
     "padded with zeros from 3 to 256 channels"},
    {"tabs, three columns, no header",
     SpectrumFormat::Columns,
     "0\t1.0\t3\n1\t1.5\t4\n",
     256,
     {3, 4, 0, 0},
     0.5f,
     1.0f,
     0,
     0,
     {},
     "",
     "",
     "padded with zeros from 2 to 256 channels"},
    {"blanks, energy first without header",
     SpectrumFormat::Columns,
     " 0.1  9\n 0.3  8\n",
     256,
     {9, 8, 0, 0},
     0.2f,
     0.1f,
     0,
     0,
     {},
     "",
     "",
     "padded with zeros from 2 to 256 channels"},
};

// An SPE of `n` channels, eight to a line with decimal points, calibrated 0.01 keV per channel.
std::string Spe(int n, int first = 0) {
  std::string t =
      "$SPEC_ID:\nbrass 40 kV\n$SPEC_REM:\nSample ID B-7\n$DATE_MEA:\n"
      "12/08/2026 09:05:03\n$MEAS_TIM:\n97.5 100\n$DATA:\n" +
      std::to_string(first) + " " + std::to_string(first + n - 1) + "\n";
  for (int c = 0; c < n; ++c) t += std::to_string(c % 50) + (c % 8 == 7 ? ".\n" : ". ");
  return t + "\n$ENER_FIT:\n0.5 0.01\n";
}

void ExpectRead(const Case& c, const SpectrumData& d, const FileResult& r) {
  ASSERT_TRUE(r.ok()) << r.detail << r.message;
  EXPECT_EQ(d.channels, c.channels);
  EXPECT_EQ(d.header.ChannelSize(), c.channels);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d.counts[i], c.first[i]) << i;
  EXPECT_EQ(d.header.HoldsCalibration(), c.slope != 0);
  if (c.slope != 0) {
    EXPECT_NEAR(d.header.CalSlope(), c.slope, 1e-6);
    EXPECT_NEAR(d.header.CalOffset(), c.offset, 1e-6);
  }
  EXPECT_EQ(d.header.LiveTime(), c.live);
  EXPECT_EQ(d.header.RealTime(), c.real);
  EXPECT_EQ(d.header.Date().year, c.date.year);
  EXPECT_EQ(d.header.Date().second, c.date.second);
  EXPECT_EQ(d.header.Comment(), c.comment);
  EXPECT_EQ(d.header.SampleId(), c.sampleId);
  EXPECT_EQ(r.detail, c.note);
}

class TextReadTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::unique_ptr<SpectrumData> d = std::make_unique<SpectrumData>();

  QString Write(const QString& name, const std::string& text) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text.data(), static_cast<qint64>(text.size()));
    return path;
  }
};

TEST_F(TextReadTest, EachFormatReadsItsCountsCalibrationTimesAndTexts) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    ExpectRead(c, *d, ReadTextSpectrum(c.format, c.text, *d));
  }
  // The SPE of a full spectrum: eight decimals to a line, its date, times and texts.
  const Case spe = {"spe 512",
                    SpectrumFormat::Spe,
                    "",
                    512,
                    {0, 1, 2, 3},
                    0.01f,
                    0.5f,
                    975,
                    1000,
                    {2026, 12, 8, 9, 5, 3},
                    "brass 40 kV",
                    "B-7",
                    ""};
  ExpectRead(spe, *d, ReadTextSpectrum(SpectrumFormat::Spe, Spe(512), *d));
  EXPECT_EQ(d->counts[511], 511 % 50);
}

TEST_F(TextReadTest, FaultyContentIsRefusedWithItsLine) {
  const struct {
    SpectrumFormat format;
    const char* text;
    FileStatus status;
    const char *message, *reason;
  } rows[] = {
      {SpectrumFormat::Columns, "# c\n1\n2\n-3\n", FileStatus::BadContent, "Error ! File Line 4",
       "line 4: a negative count"},
      {SpectrumFormat::Columns, "1\nnan\n", FileStatus::BadContent, "Error ! File Line 2",
       "line 2: not a number"},
      {SpectrumFormat::Columns, "1,2\n3\n", FileStatus::BadContent, "Error ! File Line 2",
       "line 2: a row of another number of columns"},
      {SpectrumFormat::Columns, "1 2 3 4\n", FileStatus::BadContent, "Error ! File Line 1",
       "line 1: more than three columns"},
      {SpectrumFormat::Spe, "$DATA:\n0 3\n1 2 1e300\n", FileStatus::BadContent,
       "Error ! File Line 3", "line 3: a count beyond 2147483647"},
      {SpectrumFormat::Spe, "$DATA:\n0 4\n1 2 3\n", FileStatus::ChannelMismatch, "3",
       "3 channels found, the header declares 5"},
      {SpectrumFormat::Spe, "$DATA:\nall\n", FileStatus::BadContent, "Error ! File Line 2",
       "line 2: no first and last channel"},
      {SpectrumFormat::Msa, "#NPOINTS : 2\n5\n#SPECTRUM :\n5\n", FileStatus::BadContent,
       "Error ! File Line 2", "line 2: data before #SPECTRUM"},
      {SpectrumFormat::Msa, "#DATATYPE : XY\n#SPECTRUM :\n1, 2, 3\n", FileStatus::BadContent,
       "Error ! File Line 3", "line 3: an X without its Y"},
      {SpectrumFormat::Pmca, "<<PMCA SPECTRUM>>\n<<DATA>>\n<<END>>\n", FileStatus::ChannelMismatch,
       "0", "the file holds no channels"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    const FileResult r = ReadTextSpectrum(row.format, row.text, *d);
    EXPECT_EQ(r.status, row.status);
    EXPECT_EQ(r.message, row.message);
    EXPECT_EQ(FileResultReason(r), row.reason);
  }
}

TEST_F(TextReadTest, LargerSpectraAreRefusedOrBinnedAsAsked) {
  const struct {
    int channels, first, rebin;
    FileStatus status;
    int read;
    float slope, offset;
    const char *message, *detail;
  } rows[] = {
      {8192, 0, 1, FileStatus::TooManyChannels, 0, 0, 0,
       "Error ! 8192ch Over 4096ch, Read with Rebin 2", ""},
      {16384, 0, 2, FileStatus::TooManyChannels, 0, 0, 0,
       "Error ! 16384ch Over 4096ch, Read with Rebin 4", ""},
      {8192, 0, 2, FileStatus::Ok, 4096, 0.02f, 0.505f, "", "binned by 2 from 8192 channels"},
      {16384, 0, 4, FileStatus::Ok, 4096, 0.04f, 0.515f, "", "binned by 4 from 16384 channels"},
      // Data from channel 3000 on: the channels before it are empty.
      {1000, 3000, 2, FileStatus::Ok, 2048, 0.02f, 0.505f, "",
       "binned by 2 from 4000 channels, padded with zeros from 2000 to 2048 channels"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.channels);
    const FileResult r =
        ReadTextSpectrum(SpectrumFormat::Spe, Spe(row.channels, row.first), *d, {row.rebin});
    EXPECT_EQ(r.status, row.status);
    EXPECT_EQ(r.message, row.message);
    EXPECT_EQ(r.detail, row.detail);
    if (!r.ok()) continue;
    EXPECT_EQ(d->channels, row.read);
    EXPECT_FLOAT_EQ(d->header.CalSlope(), row.slope);
    EXPECT_FLOAT_EQ(d->header.CalOffset(), row.offset);
    const int at = row.first / row.rebin;
    std::int32_t sum = 0;
    for (int i = 0; i < row.rebin; ++i) sum += i % 50;
    EXPECT_EQ(d->counts[at], sum);
    EXPECT_EQ(d->counts[at > 0 ? at - 1 : at + row.channels / row.rebin], 0);
  }
  EXPECT_EQ(FileResultReason(ReadTextSpectrum(SpectrumFormat::Spe, Spe(16384), *d)),
            "16384 channels, more than the 4096 the program holds; read it with --rebin 4");
}

TEST_F(TextReadTest, TheFormatComesFromTheContentThenTheName) {
  const struct {
    const char *name, *text;
    SpectrumFormat format;
  } rows[] = {
      {"a.txt", "<<PMCA SPECTRUM>>\n", SpectrumFormat::Pmca},
      {"a.mca", "<<PMCA SPECTRUM>>\n", SpectrumFormat::Pmca},
      {"a.mca", "# plain\n12\n", SpectrumFormat::Columns},
      {"a.csv", "\xEF\xBB\xBF\r\n$SPEC_ID:\r\n", SpectrumFormat::Spe},
      {"A.SPE", "junk", SpectrumFormat::Spe},
      {"a.txt", "#TITLE : x\n#NPOINTS : 3\n", SpectrumFormat::Msa},
      {"a.emsa", "", SpectrumFormat::Msa},
      {"a.TXT", "1\n", SpectrumFormat::Columns},
      {"a.dat", "#FORMAT : EMSA", SpectrumFormat::Dat},
      {"noext", "1\n", SpectrumFormat::Dat},
  };
  for (const auto& row : rows)
    EXPECT_EQ(DetectSpectrumFormat(row.name, row.text), row.format) << row.name << row.text;

  // Through the entry: a text file is read by content whatever its name, a big one is refused
  // from its size, and a .dat is binned when asked.
  ASSERT_TRUE(ReadSpectrum(Path(Write("beamline.txt", Spe(300))), *d).ok());
  EXPECT_EQ(d->channels, 512);
  QFile big(Write("big.csv", "1\n"));
  ASSERT_TRUE(big.resize(kMaxSpectrumFileBytes));
  EXPECT_EQ(ReadSpectrum(Path(big.fileName()), *d).status, FileStatus::TooLarge);
  QByteArray dat = DatFile(512, 512);
  PutF32(dat, kMarkerAt, 0.0f);
  PutF32(dat, kSlopeAt, 0.01f);
  for (int c = 0; c < 512; ++c) PutLE(dat, kCountsAt + 4 * c, c, 4);
  const QString datPath = dir.filePath("b.dat");
  WriteAll(datPath, dat);
  const FileResult r = ReadSpectrum(Path(datPath), *d, {4});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(d->channels, 128);
  EXPECT_EQ(d->counts[1], 4 + 5 + 6 + 7);
  EXPECT_FLOAT_EQ(d->header.CalSlope(), 0.04f);
  EXPECT_FLOAT_EQ(d->header.CalOffset(), 0.015f);
}

TEST_F(TextReadTest, EveryExportReadsBackAsItWasWritten) {
  Headless h;
  AppState& s = *h.s;
  for (const ExportFormat f :
       {ExportFormat::Msa, ExportFormat::Mca, ExportFormat::Spe, ExportFormat::Csv}) {
    SCOPED_TRACE(ExportExtension(f));
    s.channelSize = 1024;
    for (int c = 0; c < 1024; ++c) s.spectrumCounts[c] = c == 7 ? 2147483647 : (c * 37) % 1001;
    s.calibrated = 1;
    s.calSlope = 0.0123f;
    s.calOffset = -0.071f;
    s.liveTime = 975;
    s.realTime = 1000;
    s.presetTime = 1000;
    s.currentHeader.SetDate({2026, 12, 8, 9, 5, 3});
    s.currentHeader.SetComment("brass, 40 kV");
    s.currentHeader.SetSampleId("B-7");
    const QString path = dir.filePath(QString("out.") + ExportExtension(f));
    ASSERT_TRUE(ExportSpectrum(s, f, Path(path)).ok());
    HeadlessWindow window;
    CopyText(s.energyUnit, sizeof s.energyUnit, "eV");  // the unit of an earlier calibration
    const FileResult r = ReadSpectrumFile(s, window, Path(path), 1);
    ASSERT_TRUE(r.ok()) << r.message << r.detail;
    EXPECT_EQ(r.detail, "");
    EXPECT_EQ(s.channelSize, 1024);
    for (int c = 0; c < 1024; ++c)
      ASSERT_EQ(s.memCounts[1][c], c == 7 ? 2147483647 : (c * 37) % 1001) << c;
    EXPECT_NEAR(s.calSlope, 0.0123f, 0.0123f * 2e-7);
    EXPECT_NEAR(s.calOffset, -0.071f, 0.071f * 2e-7);
    EXPECT_STREQ(s.energyUnit, "keV");
    if (f == ExportFormat::Csv) continue;  // counts and energies only
    EXPECT_EQ(s.liveTime, 975);
    EXPECT_EQ(s.realTime, 1000);
    EXPECT_EQ(s.presetTime, f == ExportFormat::Mca ? 1000 : 0);
    const AcqDate d = s.currentHeader.Date();
    EXPECT_EQ(d.year * 10000 + d.month * 100 + d.day, 20261208);
    EXPECT_EQ(d.hour * 100 + d.minute, 905);
    EXPECT_EQ(d.second, f == ExportFormat::Msa ? 0 : 3);  // the EMSA time has no seconds
    EXPECT_EQ(s.currentHeader.SampleId(), "B-7");
    EXPECT_EQ(s.currentHeader.Comment(), "brass, 40 kV");
  }
}

}  // namespace
}  // namespace tavlex
