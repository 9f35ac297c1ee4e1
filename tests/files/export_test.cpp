// The exports (.msa, .mca, .spe, .csv) parsed back by small readers of each format: counts,
// calibration, times, date and texts of spectra of 256, 1024 and 4096 channels.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>

#include "app/Convert.h"
#include "files/Export.h"
#include "tests/files/ExportReaders.h"
#include "tests/files/FileBytes.h"

namespace tavlex {
namespace {

using namespace test;

// One spectrum and what each format must say about it, worked out by hand.
struct SpectrumRow {
  int channels;
  bool calibrated;
  float slope, offset;
  const char* unit;  // what the last Exec Calib stored; "" = none yet
  int live, real, preset;
  AcqDate date;
  // Expected texts.
  const char *perChan, *offsetText, *xUnits, *liveText, *realText, *presetText;
  const char *msaDate, *msaTime, *stamp;  // stamp: "MM/DD/YYYY hh:mm:ss" of .mca and .spe
  double lastEnergy;                      // energy of the last channel
};

const SpectrumRow kSpectra[] = {
    {1024,
     true,
     0.02f,
     -0.05f,
     "",
     975,
     1000,
     1000,
     {2026, 12, 8, 9, 5, 3},
     "0.02",
     "-0.05",
     "keV",
     "97.5",
     "100",
     "100",
     "08-DEC-2026",
     "09:05",
     "12/08/2026 09:05:03",
     1023 * 0.02 - 0.05},
    {256,
     false,
     0.0f,
     3.0f,
     "",
     12345,
     12400,
     12400,
     {2024, 1, 31, 23, 59, 59},
     "1",
     "0",
     "channel",
     "1234.5",
     "1240",
     "1240",
     "31-JAN-2024",
     "23:59",
     "01/31/2024 23:59:59",
     0},
    // Never stamped by Start: no date is written.
    {4096,
     true,
     0.25f,
     -1.5f,
     "eV",
     1,
     7,
     0,
     {0, 0, 0, 0, 0, 0},
     "0.25",
     "-1.5",
     "eV",
     "0.1",
     "0.7",
     "0",
     "",
     "",
     nullptr,
     4095 * 0.25 - 1.5},
};

class ExportTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  Headless h;
  AppState& s = *h.s;

  static std::int32_t Count(int c) { return c == 100 ? 1234567890 : (c * 37) % 1001; }

  void Load(const SpectrumRow& row) {
    s.channelSize = row.channels;
    for (int c = 0; c < row.channels; ++c) s.spectrumCounts[c] = Count(c);
    s.calibrated = row.calibrated ? 1 : 0;
    s.calSlope = row.slope;
    s.calOffset = row.offset;
    CopyText(s.energyUnit, sizeof s.energyUnit, row.unit);
    s.liveTime = row.live;
    s.realTime = row.real;
    s.presetTime = row.preset;
    s.currentHeader.SetDate(row.date);
    s.currentHeader.SetComment("brass, 40 kV");
    s.currentHeader.SetSampleId("B-7");
  }

  QByteArray Export(ExportFormat format) {
    const QString file = dir.filePath(QString("out.") + ExportExtension(format));
    const FileResult r = ExportSpectrum(s, format, Path(file));
    EXPECT_TRUE(r.ok()) << r.message;
    return ReadAll(file);
  }

  void ExpectCounts(const QList<qint64>& counts, int channels) {
    ASSERT_EQ(counts.size(), channels);
    for (int c = 0; c < channels; ++c) ASSERT_EQ(counts[c], Count(c)) << "channel " << c;
  }
};

TEST_F(ExportTest, MsaIsAnEmsaFileWithTheCountsCalibrationAndTimes) {
  for (const SpectrumRow& row : kSpectra) {
    SCOPED_TRACE(row.channels);
    Load(row);
    const Msa m = ReadMsa(Export(ExportFormat::Msa));
    EXPECT_TRUE(m.ascii);
    EXPECT_TRUE(m.crlf);
    EXPECT_TRUE(m.ended);
    ASSERT_GE(m.order.size(), 3);
    // The standard wants these two first, in this order; ENDOFDATA closes the file.
    EXPECT_EQ(m.order[0], "FORMAT");
    EXPECT_EQ(m.order[1], "VERSION");
    EXPECT_EQ(m.order.back(), "ENDOFDATA");
    EXPECT_EQ(m.keys["FORMAT"], "EMSA/MAS Spectral Data File");
    EXPECT_EQ(m.keys["VERSION"], "1.0");
    EXPECT_EQ(m.keys["TITLE"], "brass, 40 kV");
    EXPECT_EQ(m.keys["COMMENT"], "Sample ID B-7");
    EXPECT_EQ(m.keys["DATE"], row.msaDate);
    EXPECT_EQ(m.keys["TIME"], row.msaTime);
    EXPECT_TRUE(m.keys.contains("OWNER"));
    EXPECT_EQ(m.keys["NPOINTS"], QString::number(row.channels));
    EXPECT_EQ(m.keys["NCOLUMNS"], "1");
    EXPECT_EQ(m.keys["DATATYPE"], "Y");
    EXPECT_EQ(m.keys["XUNITS"], row.xUnits);
    EXPECT_EQ(m.keys["YUNITS"], "counts");
    EXPECT_EQ(m.keys["XPERCHAN"], row.perChan);
    EXPECT_EQ(m.keys["OFFSET"], row.offsetText);
    EXPECT_EQ(m.keys["SIGNALTYPE"], "EDS");
    EXPECT_EQ(m.keys["LIVETIME"], row.liveText);
    EXPECT_EQ(m.keys["REALTIME"], row.realText);
    ExpectCounts(m.counts, row.channels);
  }
}

TEST_F(ExportTest, McaIsAPmcaSpectrumWithTheCountsCalibrationAndTimes) {
  for (const SpectrumRow& row : kSpectra) {
    SCOPED_TRACE(row.channels);
    Load(row);
    const Mca m = ReadMca(Export(ExportFormat::Mca));
    EXPECT_TRUE(m.crlf);
    QStringList sections = {"<<PMCA SPECTRUM>>", "<<DATA>>", "<<END>>"};
    if (row.calibrated) sections.insert(1, "<<CALIBRATION>>");
    EXPECT_EQ(m.sections, sections);
    EXPECT_EQ(m.tags["DESCRIPTION"], "brass, 40 kV; Sample ID B-7");
    EXPECT_EQ(m.tags["LIVE_TIME"], row.liveText);
    EXPECT_EQ(m.tags["REAL_TIME"], row.realText);
    EXPECT_EQ(m.tags["PRESET_TIME"], row.presetText);
    EXPECT_EQ(m.tags.value("START_TIME", "<none>"), row.stamp ? row.stamp : "<none>");
    if (row.calibrated) {
      EXPECT_EQ(m.label, row.xUnits);
      ASSERT_EQ(m.calibration.size(), 2);
      EXPECT_EQ(m.calibration[0].first, 0);
      EXPECT_NEAR(m.calibration[0].second, row.offset, 1e-7);
      EXPECT_EQ(m.calibration[1].first, row.channels - 1);
      EXPECT_NEAR(m.calibration[1].second, row.lastEnergy, 1e-4);
    }
    ExpectCounts(m.counts, row.channels);
  }
}

TEST_F(ExportTest, SpeIsAnIaeaSpectrumWithTheCountsCalibrationAndTimes) {
  for (const SpectrumRow& row : kSpectra) {
    SCOPED_TRACE(row.channels);
    Load(row);
    const Spe e = ReadSpe(Export(ExportFormat::Spe));
    EXPECT_TRUE(e.crlf);
    QStringList blocks = {"SPEC_ID", "SPEC_REM", "DATE_MEA", "MEAS_TIM", "DATA"};
    if (!row.stamp) blocks.removeAll("DATE_MEA");
    if (row.calibrated)
      blocks << "ENER_FIT"
             << "MCA_CAL";
    EXPECT_EQ(e.blocks, blocks);
    EXPECT_EQ(e.First("SPEC_ID"), "brass, 40 kV");
    EXPECT_EQ(e.First("SPEC_REM"), "Sample ID B-7");
    EXPECT_EQ(e.First("DATE_MEA"), row.stamp ? row.stamp : "<none>");
    EXPECT_EQ(e.First("MEAS_TIM"), QString(row.liveText) + " " + row.realText);
    const QList<QByteArray> data = e.lines["DATA"];
    ASSERT_EQ(data.size(), row.channels + 1);
    EXPECT_EQ(data[0], "0 " + QByteArray::number(row.channels - 1));
    QList<qint64> counts;
    for (int i = 1; i < data.size(); ++i) counts << data[i].toLongLong();
    ExpectCounts(counts, row.channels);
    if (row.calibrated) {
      const QString line = QString(row.offsetText) + " " + row.perChan;
      EXPECT_EQ(e.First("ENER_FIT"), line);
      EXPECT_EQ(e.lines["MCA_CAL"], QList<QByteArray>({"2", line.toLatin1()}));
    }
  }
}

TEST_F(ExportTest, CsvHasOneRowPerChannelWithTheEnergyWhenCalibrated) {
  for (const SpectrumRow& row : kSpectra) {
    SCOPED_TRACE(row.channels);
    Load(row);
    const Csv c = ReadCsv(Export(ExportFormat::Csv));
    EXPECT_TRUE(c.crlf);
    EXPECT_EQ(c.header, row.calibrated ? QStringList({"channel", "energy", "counts"})
                                       : QStringList({"channel", "counts"}));
    ASSERT_EQ(c.rows.size(), row.channels);
    QList<qint64> counts;
    for (int ch = 0; ch < row.channels; ++ch) {
      const QStringList& r = c.rows[ch];
      ASSERT_EQ(r.size(), c.header.size());
      EXPECT_EQ(r[0].toInt(), ch);
      counts << r.back().toLongLong();
      if (row.calibrated) {
        const double energy = ch * static_cast<double>(row.slope) + row.offset;
        EXPECT_NEAR(r[1].toDouble(), energy, 2e-5 * (1 + std::abs(energy))) << ch;
      }
    }
    ExpectCounts(counts, row.channels);
  }
  // Exact binary fractions print exactly.
  Load(kSpectra[2]);
  const Csv c = ReadCsv(Export(ExportFormat::Csv));
  EXPECT_EQ(c.rows[4095], QStringList({"4095", "1022.25", QString::number(Count(4095))}));
  EXPECT_EQ(c.rows[5], QStringList({"5", "-0.25", QString::number(Count(5))}));
  EXPECT_EQ(c.rows[6], QStringList({"6", "0", QString::number(Count(6))}));
}

// A header text (8-bit, Latin-1) in each format: the line stays one line of that format.
TEST_F(ExportTest, HeaderTextsAreWrittenSoTheFileStaysValid) {
  struct Row {
    const char* latin1;
    const char *msa, *mca, *spe;  // .mca and .spe as UTF-8
  };
  const Row rows[] = {
      {"Fe \xE9tude \xB5m", "Fe ?tude ?m", "Fe \xC3\xA9tude \xC2\xB5m",
       "Fe \xC3\xA9tude \xC2\xB5m"},
      {"a\tb\r\nc\x7F", "a b  c ", "a b  c ", "a b  c "},
      {"\x85x\x9F", "?x?", "?x?", "?x?"},  // C1 control codes of Latin-1
      {"ratio: 2:1", "ratio; 2:1", "ratio: 2:1", "ratio: 2:1"},
      {"$DATA:", "$DATA:", "$DATA:", "?DATA:"},
      {"  $x", "  $x", "  $x", "  ?x"},
      {"<<END>> a<<", "<<END>> a<<", "< END>> a< ", "<<END>> a<<"},
  };
  // .msa's title and .mca's DESCRIPTION drop leading blanks when read; compare what is kept.
  for (const Row& row : rows) {
    SCOPED_TRACE(row.latin1);
    Load(kSpectra[0]);
    s.currentHeader.SetComment(row.latin1);
    s.currentHeader.SetSampleId("");
    const QByteArray msa = Export(ExportFormat::Msa);
    const Msa m = ReadMsa(msa);
    EXPECT_TRUE(m.ascii);
    EXPECT_EQ(m.keys["TITLE"], QString::fromLatin1(row.msa).trimmed());
    EXPECT_FALSE(m.keys.contains("COMMENT"));
    ExpectCounts(m.counts, 1024);

    const Mca mca = ReadMca(Export(ExportFormat::Mca));
    EXPECT_EQ(mca.description, QByteArray(row.mca));
    EXPECT_EQ(mca.sections,
              QStringList({"<<PMCA SPECTRUM>>", "<<CALIBRATION>>", "<<DATA>>", "<<END>>"}));
    ExpectCounts(mca.counts, 1024);

    const Spe spe = ReadSpe(Export(ExportFormat::Spe));
    EXPECT_EQ(spe.lines["SPEC_ID"], QList<QByteArray>({row.spe}));
    EXPECT_FALSE(spe.blocks.contains("SPEC_REM"));
    EXPECT_EQ(spe.lines["DATA"].size(), 1025);
  }
  // A sample ID alone describes the .mca spectrum by itself.
  s.currentHeader.SetComment("");
  s.currentHeader.SetSampleId("S\xF6-1");
  EXPECT_EQ(ReadMca(Export(ExportFormat::Mca)).description, QByteArray("Sample ID S\xC3\xB6-1"));
  EXPECT_EQ(ReadMsa(Export(ExportFormat::Msa)).keys["COMMENT"], "Sample ID S?-1");
}

TEST_F(ExportTest, FormatsAreNamedByNameOrExtension) {
  struct Row {
    const char* text;
    std::optional<ExportFormat> byName, byPath;
  };
  const Row rows[] = {
      {"msa", ExportFormat::Msa, std::nullopt},
      {"MCA", ExportFormat::Mca, std::nullopt},
      {"out.spe", std::nullopt, ExportFormat::Spe},
      {"dir.x/OUT.Csv", std::nullopt, ExportFormat::Csv},
      {"dir.msa/out", std::nullopt, std::nullopt},  // the folder's extension is not the file's
      {".msa", std::nullopt, std::nullopt},         // a hidden file without an extension
      {"out.dat", std::nullopt, std::nullopt},
      {"ms", std::nullopt, std::nullopt},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(ExportFormatFromName(row.text), row.byName) << row.text;
    EXPECT_EQ(ExportFormatFromPath(row.text), row.byPath) << row.text;
  }
}

TEST_F(ExportTest, AnOutputThatCannotBeCreatedIsReported) {
  Load(kSpectra[0]);
  const QString regular = dir.filePath("plain");
  WriteAll(regular, "a file, not a folder");
  for (ExportFormat f :
       {ExportFormat::Msa, ExportFormat::Mca, ExportFormat::Spe, ExportFormat::Csv}) {
    const FileResult r = ExportSpectrum(s, f, Path(regular + "/out.x"));
    EXPECT_EQ(r.status, FileStatus::CannotOpen);
    EXPECT_EQ(r.message, "File Write Error !");
  }
  EXPECT_EQ(ReadAll(regular), "a file, not a folder");
}

}  // namespace
}  // namespace tavlex
