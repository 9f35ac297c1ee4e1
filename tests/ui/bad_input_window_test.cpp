// Bad input in every edit box of the main window and of every dialog: letters, an empty text, a
// sign alone, a 12-digit number, 10 000 digits, 10 000 letters and non-Latin text, each followed
// by the control's action (switch-on, Exec Calib, OK, ...). Never a crash, only the program's
// own messages or the conversion error box, and nothing changed by a refused value. The boxes
// are found on the widgets themselves, so a new one without a row here fails the test.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QtTest/QTest>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/acq/AcqFixture.h"
#include "tests/standards/StdFiles.h"
#include "ui/AboutBox.h"
#include "ui/ScanSetupDialog.h"
#include "ui/StandardsEditor.h"

namespace tavlex::test {
namespace {

struct BadText {
  const char* name;
  QString text;
  std::string latin1;  // the 8-bit text the records get: '?' for each character beyond Latin-1
};

const std::vector<BadText>& BadTexts() {
  static const std::vector<BadText> texts = [] {
    QString digits, letters;
    for (int i = 0; i < 1000; ++i) digits += "1234567890";
    letters.fill('x', 10000);
    return std::vector<BadText>{
        {"letters", "abc", "abc"},
        {"empty", "", ""},
        {"minus alone", "-", "-"},
        {"plus alone", "+", "+"},
        {"12 digits", "123456789012", "123456789012"},
        {"10000 digits", digits, digits.toStdString()},
        {"10000 letters", letters, letters.toStdString()},
        // Greek, CJK and an emoji (two UTF-16 units).
        {"non-Latin", QString::fromUtf8("Ωμέγα 測定 🔬"), "????? ?? ??"},
    };
  }();
  return texts;
}
constexpr unsigned kAll = 0xFF;
constexpr unsigned kTwelveDigits = 1u << 4;
constexpr unsigned kTenThousandDigits = 1u << 5;
// F: 123456789012 as a 32-bit float, 15070409 x 8192.
constexpr float kTwelveDigitsFloat = 123456790528.0f;

enum class Win { Main, McaSetup, SxfmSetup, StdEditor, About };
enum class Act { None, McaOpen, SxfmClear, RoiOn, ExecCalib, Fwhm, Ok };

// The state a box's action can reach, as texts by name, so that a difference names its field.
using Snapshot = std::map<std::string, std::string>;

// The conversion error box's texts.
bool IsConversionMessage(const std::string& m) {
  const auto endsWith = [&](const std::string& tail) {
    return m.size() >= tail.size() && m.compare(m.size() - tail.size(), tail.size(), tail) == 0;
  };
  return endsWith("is not a valid floating point value") ||
         endsWith("is not a valid integer value") ||
         m.find("' is out of range for the ") != std::string::npos;
}

// Refused value: Edit1 shows this, or kErrorBox: the conversion error box, or null: nothing.
constexpr const char* kErrorBox = "<conversion error box>";

struct Row {
  Win win;
  std::string name;
  Act act;
  const char* good;     // the box's usual text, typed before the action to reach its
                        // steady state (null: the text the dialog shows)
  unsigned accepts;     // bit i: bad text i is a value the box takes
  const char* typed;    // Edit1 just after a refused text is typed (null: unchanged)
  const char* refused;  // the message of a refused value after the action
  std::function<void(Snapshot&, const BadText&)> taken;  // what an accepted text changes
};

std::string Num(double v) {
  char b[64];
  std::snprintf(b, sizeof b, "%.9g", v);
  return b;
}

std::string Fnv(const void* data, std::size_t n) {
  std::uint64_t h = 1469598103934665603ull;
  for (std::size_t i = 0; i < n; ++i)
    h = (h ^ static_cast<const std::uint8_t*>(data)[i]) * 1099511628211ull;
  return std::to_string(h);
}

std::string Roi(const RoiRecord& r) {
  return Num(r.defined) + " " + Num(r.shown) + " " + r.label + " " + Num(r.low) + " " +
         Num(r.high) + " " + Num(r.colour);
}

std::string Cut(const BadText& t, std::size_t n) {
  return t.latin1.substr(0, n);
}

// The rows are run in groups, one window each (the editor's by its columns, for time).
struct Group {
  const char* name;
  Win win;
  bool (*takes)(const std::string& box);
};

bool EndsWith(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}
bool AnyBox(const std::string&) {
  return true;
}
bool KratioBox(const std::string& b) {
  return EndsWith(b, "Kratio");
}
bool WtperBox(const std::string& b) {
  return EndsWith(b, "Wtper");
}
bool CfBox(const std::string& b) {
  return EndsWith(b, "Cf");
}
bool FileNameBox(const std::string& b) {
  return EndsWith(b, "FileName");
}
// Every other box of the editor, so that a new one falls into some group.
bool PanelBox(const std::string& b) {
  return !KratioBox(b) && !WtperBox(b) && !CfBox(b) && !FileNameBox(b);
}

void PrintTo(const Group& g, std::ostream* os) {
  *os << g.name;
}

class BadInputTest : public AcqWindowTest, public ::testing::WithParamInterface<Group> {
 protected:
  void SetUp() override {
    form->SetDataModule(folder.dm.get());
    // Every slot a measured standard, so a weight per cent gives a calibration factor.
    for (int slot = 0; slot < kStandardSlots; ++slot) {
      StandardRecord& r = folder.dm->table[slot];
      r.SetElementName("Fe");
      r.SetSpecFileName("fe.dat");
      r.SetFitOn(1);
      r.SetCf(2.5f);
      r.SetKRatio(40.0f);
      r.SetKRatioError(0.6f);
    }
    Open();
    // A peak under the cursor (2048) for FWHM Calic. to measure.
    const std::int32_t peak[5] = {10, 50, 100, 50, 10};
    std::memset(s().spectrumCounts, 0, sizeof s().spectrumCounts);
    std::memcpy(s().spectrumCounts + 2046, peak, sizeof peak);
    // Region 2 picked; the calibration boxes as an operator fills them.
    form->ROINoSelect->setCurrentIndex(2);
    emit form->ROINoSelect->activated(2);
    form->EditROILow->setText("100");
    form->EditROIHigh->setText("120");
    form->Element->setText("Fe-Ka");
    form->LowCh->setText("128");
    form->HiCh->setText("640");
    form->LoEng->setText("1.0");
    form->HiEng->setText("5.0");
  }

  Snapshot Take() {
    const AppState& st = s();
    Snapshot m;
    m["memorySize"] = Num(st.mcaSetup.memorySize);
    m["mcaPreset"] = Num(st.mcaSetup.presetTime);
    m["deadTimePerEvent"] = Num(st.mcaSetup.deadTimePerEvent);
    m["comment"] = st.mcaSetup.comment;
    m["sampleId"] = st.mcaSetup.sampleId;
    m["sxfmMemory"] = Num(st.sxfmSetup.memorySize);
    m["sxfmPreset"] = Num(st.sxfmSetup.presetTime);
    m["refreshMs"] = Num(st.sxfmSetup.refreshMs);
    m["savePrefix"] = st.sxfmSetup.savePrefix;
    m["timerInterval"] = Num(form->TimerInterval());
    m["timerOn"] = Num(form->TimerEnabled());
    m["presetTime"] = Num(st.presetTime);
    m["channelSize"] = Num(st.channelSize);
    m["acquiring"] = Num(st.acquiring);
    m["deviceOpen"] = Num(st.deviceOpen);
    // The headers: comment (774) and sample ID (806) apart, the rest as one.
    for (const auto& [key, h] :
         {std::pair{"mcaHeader", &st.mcaHeader}, std::pair{"currentHeader", &st.currentHeader}}) {
      std::uint8_t bytes[1024];
      std::memcpy(bytes, h->data(), sizeof bytes);
      m[std::string(key) + ".comment"] = reinterpret_cast<const char*>(bytes + 774);
      m[std::string(key) + ".sampleId"] = reinterpret_cast<const char*>(bytes + 806);
      std::memset(bytes + 774, 0, 64);
      m[key] = Fnv(bytes, sizeof bytes);
    }
    for (int i = 0; i < kRoiCount; ++i) m["roi" + std::to_string(i)] = Roi(st.roiTable[i]);
    m["currentRoi"] = Num(st.currentRoi);
    m["calibrated"] = Num(st.calibrated);
    m["energyUnit"] = st.energyUnit;
    m["calPoints"] = Num(st.calLowChannel) + " " + Num(st.calHighChannel) + " " +
                     Num(st.calLowEnergy) + " " + Num(st.calHighEnergy);
    m["calLine"] = Num(st.calSlope) + " " + Num(st.calOffset);
    m["peakCentroid"] = Num(st.peakCentroid);
    m["cursor"] = Num(st.cursorChannel);
    m["view"] = Num(st.viewStart) + " " + Num(st.viewEnd);
    m["counts"] = Fnv(st.spectrumCounts, sizeof st.spectrumCounts);
    m["standardsLoaded"] = Num(st.standardsLoaded);
    // Each standard: cf (76) and weight per cent (84) apart, the rest as one.
    for (int slot = 0; slot < kStandardSlots; ++slot) {
      std::uint8_t bytes[kRecordSize];
      std::memcpy(bytes, folder.dm->table[slot].data(), sizeof bytes);
      float cf, chem;
      std::memcpy(&cf, bytes + kCfAt, 4);
      std::memcpy(&chem, bytes + kChemAt, 4);
      std::memset(bytes + kCfAt, 0, 4);
      std::memset(bytes + kChemAt, 0, 4);
      const std::string key = "std" + std::to_string(slot);
      m[key + ".cf"] = Num(cf);
      m[key + ".chem"] = Num(chem);
      m[key] = Fnv(bytes, sizeof bytes);
    }
    for (QLineEdit* e : {form->Edit1, form->Edit2, form->Edit4, form->FwhmVal})
      m[e->objectName().toStdString()] = e->text().toStdString();
    std::string frames;
    for (const std::string& f : Frames()) frames += f + " ";
    m["frames"] = frames;
    return m;
  }

  // Types `text` into the row's box and runs the action. For a dialog, returns whether the
  // action left it open (a refused value), after which it is cancelled.
  bool Feed(const Row& row, const QString* text) {
    if (row.win == Win::Main) {
      if (text) form->findChild<QLineEdit*>(QString::fromStdString(row.name))->setText(*text);
      if (text && !IsAccepted(row, *text)) typedEdit1 = form->Edit1->text().toStdString();
      MainAction(row.act);
      return false;
    }
    bool leftOpen = false, seen = false;
    QTimer::singleShot(0, [&] {
      QDialog* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(d, nullptr);
      seen = true;
      auto* box = d->findChild<QLineEdit*>(QString::fromStdString(row.name));
      ASSERT_NE(box, nullptr) << row.name;
      if (text) box->setText(*text);
      QAbstractButton* ok =
          d->findChild<QPushButton*>(row.win == Win::StdEditor ? "EditOk" : "OkButton");
      QAbstractButton* cancel =
          d->findChild<QPushButton*>(row.win == Win::StdEditor ? "EditCancel" : "CancelButton");
      QTest::mouseClick(ok, Qt::LeftButton);
      leftOpen = d->isVisible();
      if (leftOpen) QTest::mouseClick(cancel, Qt::LeftButton);
    });
    QPushButton* opener = row.win == Win::McaSetup    ? form->Button10
                          : row.win == Win::SxfmSetup ? form->Button7
                                                      : form->EditStd;
    QTest::mouseClick(opener, Qt::LeftButton);
    EXPECT_TRUE(seen) << row.name;
    return leftOpen;
  }
  bool IsAccepted(const Row& row, const QString& text) const {
    const auto& texts = BadTexts();
    for (std::size_t i = 0; i < texts.size(); ++i)
      if (texts[i].text == text) return (row.accepts >> i) & 1u;
    return true;
  }
  void MainAction(Act act) {
    switch (act) {
      case Act::McaOpen:
        QTest::mouseClick(form->McaOpen, Qt::LeftButton);
        break;
      case Act::SxfmClear:
        QTest::mouseClick(form->SxfmClear, Qt::LeftButton);
        break;
      case Act::RoiOn: {
        {
          QSignalBlocker quiet(form->ROIOnCheck);
          form->ROIOnCheck->setChecked(false);
        }
        form->ROIOnCheck->click();
        break;
      }
      case Act::ExecCalib:
        QTest::mouseClick(form->EngCalib, Qt::LeftButton);
        break;
      case Act::Fwhm:
        QTest::mouseClick(form->FWHM, Qt::LeftButton);
        break;
      case Act::None:
      case Act::Ok:
        break;
    }
  }
  // The row's box with its usual text and its action: the state every bad text starts from.
  Snapshot Steady(const Row& row) {
    const QString good = row.good ? QString::fromLatin1(row.good) : QString();
    Reset();
    Feed(row, row.good ? &good : nullptr);
    EXPECT_TRUE(errors.empty()) << row.name << ": " << (errors.empty() ? "" : errors.front());
    return Take();
  }
  void Reset() {
    form->Edit1->setText("Status");
    errors.clear();
    typedEdit1.clear();
    sim().ClearFrames();
  }

  StdFolder folder;
  std::string typedEdit1;
};

std::string Diff(const Snapshot& want, const Snapshot& got) {
  std::string d;
  for (const auto& [key, value] : want) {
    const auto it = got.find(key);
    const std::string other = it == got.end() ? "<none>" : it->second;
    if (other != value)
      d += "\n  " + key + ": want [" + value.substr(0, 80) + "] got [" + other.substr(0, 80) + "]";
  }
  return d;
}

std::vector<Row> Rows() {
  const auto none = [](Snapshot&, const BadText&) {};
  std::vector<Row> rows = {
      // Main window: the status and result boxes are written by the program; what is typed
      // there is not read.
      {Win::Main, "Edit2", Act::McaOpen, nullptr, kAll, nullptr, nullptr, none},
      {Win::Main, "FwhmVal", Act::Fwhm, nullptr, kAll, nullptr, nullptr, none},
      {Win::Main, "Edit4", Act::SxfmClear, nullptr, kAll, nullptr, nullptr, none},
      {Win::Main, "Element", Act::RoiOn, "Fe-Ka", kAll, nullptr, nullptr,
       [](Snapshot& e, const BadText& t) {
         e["roi2"] = "1 1 " + Cut(t, 7) + " 100 120 16711680";  // blue
       }},
      {Win::Main, "EditROILow", Act::RoiOn, "100", 0, "Error ! ROI LowCh", "Error ! ROI LowCh",
       none},
      {Win::Main, "EditROIHigh", Act::RoiOn, "120", 0, "Error ! ROI HighCh", "Error ! ROI HighCh",
       none},
      {Win::Main, "LowCh", Act::ExecCalib, "128", kTwelveDigits, "Error ! EngCalib LowCh",
       "Error ! Energy Calib LowCh",
       [](Snapshot& e, const BadText&) {
         e["calPoints"] = Num(kTwelveDigitsFloat) + " 640 1 5";
         // slope 4 / (640 - F), offset 5 - slope x 640
         e["calLine"] = "-3.23999994e-11 5";
       }},
      {Win::Main, "HiCh", Act::ExecCalib, "640", kTwelveDigits, "Error ! EngCalib HiCh",
       "Error ! Energy Calib HighCh",
       [](Snapshot& e, const BadText&) {
         e["calPoints"] = "128 " + Num(kTwelveDigitsFloat) + " 1 5";
         // slope 4 / (F - 128), offset 5 - slope x F
         e["calLine"] = "3.23999994e-11 1.00000012";
       }},
      {Win::Main, "LoEng", Act::ExecCalib, "1.0", kTwelveDigits, nullptr,
       "Error ! Energy Calib LowEng",
       [](Snapshot& e, const BadText&) {
         e["calPoints"] = "128 640 " + Num(kTwelveDigitsFloat) + " 5";
         // slope (5 - F) / 512, offset 5 - slope x 640
         e["calLine"] = "-241126544 1.54320994e+11";
       }},
      {Win::Main, "HiEng", Act::ExecCalib, "5.0", kTwelveDigits, nullptr,
       "Error ! Energy Calib HighEng",
       [](Snapshot& e, const BadText&) {
         e["calPoints"] = "128 640 1 " + Num(kTwelveDigitsFloat);
         // slope (F - 1) / 512, offset F - slope x 640
         e["calLine"] = "241126544 -3.08641976e+10";
       }},
      {Win::Main, "ChKev", Act::ExecCalib, "keV", kAll, nullptr, nullptr,
       [](Snapshot& e, const BadText& t) { e["energyUnit"] = Cut(t, 7); }},

      // "XMCA1 SetUp": numbers that do not convert or fit keep the dialog open.
      {Win::McaSetup, "PresetRT", Act::Ok, nullptr, 0, nullptr, kErrorBox, none},
      {Win::McaSetup, "DeadTime", Act::Ok, "1.8", kTwelveDigits, nullptr, kErrorBox,
       [](Snapshot& e, const BadText&) { e["deadTimePerEvent"] = Num(kTwelveDigitsFloat); }},
      {Win::McaSetup, "SpcLabel1", Act::Ok, "", kAll, nullptr, nullptr,
       [](Snapshot& e, const BadText& t) {
         e["comment"] = e["mcaHeader.comment"] = e["currentHeader.comment"] = Cut(t, 31);
       }},
      {Win::McaSetup, "SpcLabel2", Act::Ok, "", kAll, nullptr, nullptr,
       [](Snapshot& e, const BadText& t) {
         e["sampleId"] = e["mcaHeader.sampleId"] = e["currentHeader.sampleId"] = Cut(t, 31);
       }},

      // "SXFM SetUp": the preset box holds 8 characters, so the long numbers come in cut.
      {Win::SxfmSetup, "SXFMPreSetTime", Act::Ok, "10", kTwelveDigits | kTenThousandDigits, nullptr,
       kErrorBox,
       [](Snapshot& e, const BadText&) {
         e["sxfmPreset"] = "12345678";
         e["Edit1"] = "$P12345678;";
         e["frames"] = "$P12345678; $M16; ";
       }},
      {Win::SxfmSetup, "DispRefTimer", Act::Ok, "100", 0, nullptr, kErrorBox, none},
      {Win::SxfmSetup, "Edit3", Act::Ok, nullptr, kAll, nullptr, nullptr, none},
      {Win::SxfmSetup, "XMapSize", Act::Ok, nullptr, kAll, nullptr, nullptr, none},
      {Win::SxfmSetup, "YMapSize", Act::Ok, nullptr, kAll, nullptr, nullptr, none},

      // The standards editor: only the weight-per-cent boxes are read, keystroke by keystroke,
      // and a text that is no number is ignored without a word.
      {Win::StdEditor, "HVinKV", Act::Ok, nullptr, kAll, nullptr, nullptr, none},
      {Win::StdEditor, "TubeuA", Act::Ok, nullptr, kAll, nullptr, nullptr, none},
  };
  for (int n = 1; n <= kStandardSlots; ++n) {
    const std::string row = "Std" + std::to_string(n), slot = "std" + std::to_string(n - 1);
    for (const char* unused : {"Kratio", "Cf", "FileName"})
      rows.push_back(
          {Win::StdEditor, row + unused, Act::Ok, nullptr, kAll, nullptr, nullptr, none});
    rows.push_back({Win::StdEditor, row + "Wtper", Act::Ok, "2.5", kTwelveDigits, nullptr, nullptr,
                    [slot](Snapshot& e, const BadText&) {
                      e[slot + ".chem"] = Num(kTwelveDigitsFloat);
                      // F / 40, in single precision.
                      e[slot + ".cf"] = "3.08641971e+09";
                    }});
  }
  return rows;
}

// The boxes that take typed text, by object name; those inside the toolkit's own dialogs (file
// and print dialogs) are not the program's.
std::set<std::string> TextBoxes(QWidget* top) {
  std::set<std::string> names;
  auto own = [top](QWidget* w) {
    for (QWidget* p = w->parentWidget(); p && p != top; p = p->parentWidget())
      if (qobject_cast<QDialog*>(p)) return false;
    return true;
  };
  for (QLineEdit* e : top->findChildren<QLineEdit*>())
    if (own(e) && !qobject_cast<QAbstractSpinBox*>(e->parentWidget()) &&
        !qobject_cast<QComboBox*>(e->parentWidget()))
      names.insert(e->objectName().toStdString());
  for (QAbstractSpinBox* b : top->findChildren<QAbstractSpinBox*>())
    if (own(b)) names.insert(b->objectName().toStdString());
  for (QComboBox* c : top->findChildren<QComboBox*>())
    if (own(c) && c->isEditable()) names.insert(c->objectName().toStdString());
  return names;
}

TEST_P(BadInputTest, EveryEditBoxRefusesOrTakesEveryBadTextCleanly) {
  const Group& group = GetParam();
  std::vector<Row> rows;
  std::set<std::string> listed;
  for (Row& r : Rows())
    if (r.win == group.win && group.takes(r.name))
      listed.insert(r.name), rows.push_back(std::move(r));

  // Every box of the window has a row, and every row a box.
  std::set<std::string> found;
  switch (group.win) {
    case Win::Main:
      found = TextBoxes(form.get());
      // The status box: read-only, nothing to type into.
      EXPECT_TRUE(form->Edit1->isReadOnly());
      found.erase("Edit1");
      break;
    case Win::McaSetup: {
      McaSetup record = s().mcaSetup;
      TXMCA1SetUp d(record, {});
      found = TextBoxes(&d);
      break;
    }
    case Win::SxfmSetup: {
      SxfmSetup record = s().sxfmSetup;
      TSXFMSetUp d(record, {}, {});
      found = TextBoxes(&d);
      break;
    }
    case Win::StdEditor: {
      TEditStd d(*folder.dm);
      found = TextBoxes(&d);
      break;
    }
    case Win::About: {
      TMcaAbout d;
      found = TextBoxes(&d);
      break;
    }
  }
  std::erase_if(found, [&](const std::string& b) { return !group.takes(b); });
  EXPECT_EQ(found, listed);

  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Snapshot steady = Steady(row);
    for (const BadText& t : BadTexts()) {
      SCOPED_TRACE(t.name);
      const bool accepted = IsAccepted(row, t.text);
      Reset();
      const Snapshot before = Take();
      const bool leftOpen = Feed(row, &t.text);
      const Snapshot after = Take();
      if (accepted) {
        Snapshot want = steady;
        row.taken(want, t);
        EXPECT_EQ(Diff(want, after), "");
        EXPECT_TRUE(errors.empty()) << errors.front();
        EXPECT_FALSE(leftOpen);
        // Back to the steady state for the next text.
        if (Diff(steady, after) != "") {
          EXPECT_EQ(Diff(steady, Steady(row)), "");
        }
        continue;
      }
      Snapshot want = before;
      if (row.refused && row.refused != kErrorBox) want["Edit1"] = row.refused;
      EXPECT_EQ(Diff(want, after), "");
      if (row.win == Win::Main) {
        EXPECT_EQ(typedEdit1, row.typed ? row.typed : "Status");
      }
      if (row.refused == kErrorBox) {
        EXPECT_TRUE(leftOpen);
        ASSERT_FALSE(errors.empty());
        for (const std::string& m : errors) EXPECT_TRUE(IsConversionMessage(m)) << m.substr(0, 80);
      } else {
        EXPECT_TRUE(errors.empty()) << errors.front().substr(0, 80);
      }
    }
    // Leave the box as the next rows expect it.
    Steady(row);
  }
}

// A 12-digit dead time per event is a number the dialog takes; the run it is used in then has
// more dead time than real time, which leaves it no live time, not a negative one.
class BadSetupRunTest : public AcqWindowTest {};

TEST_F(BadSetupRunTest, ADeadTimeLongerThanTheRunLeavesNoLiveTime) {
  Open();
  Setup([](TXMCA1SetUp& d) {
    d.PresetRT->setText("10.0");
    d.DeadTime->setText("123456789012");
  });
  ASSERT_TRUE(errors.empty());
  QTest::mouseClick(form->McaClear, Qt::LeftButton);
  QTest::mouseClick(form->McaStart, Qt::LeftButton);
  for (int i = 0; i < 200 && s().acquiring == 1; ++i) {
    AdvanceMs(100);
    Tick();
    // 1000 events a second of 1.2e11 us each: far more dead time than real time at every tick.
    ASSERT_EQ(s().liveTime, 0) << "tick " << i;
  }
  EXPECT_EQ(s().acquiring, 0);
  EXPECT_EQ(s().realTime, 100);
  EXPECT_EQ(s().liveTime, 0);
}

const Group kGroups[] = {
    {"MainWindow", Win::Main, AnyBox},
    {"McaSetup", Win::McaSetup, AnyBox},
    {"SxfmSetup", Win::SxfmSetup, AnyBox},
    {"EditorKratio", Win::StdEditor, KratioBox},
    {"EditorWtper", Win::StdEditor, WtperBox},
    {"EditorCf", Win::StdEditor, CfBox},
    {"EditorFileName", Win::StdEditor, FileNameBox},
    {"EditorPanel", Win::StdEditor, PanelBox},
    {"AboutBox", Win::About, AnyBox},
};

INSTANTIATE_TEST_SUITE_P(Windows, BadInputTest, ::testing::ValuesIn(kGroups),
                         [](const ::testing::TestParamInfo<Group>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace tavlex::test
