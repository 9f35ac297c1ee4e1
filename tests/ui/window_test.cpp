// The main window as defined: controls, captions, enabled states, menus, about box and Exit.

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>
#include <memory>

#include "link/Backends.h"
#include "standards/StandardsTable.h"
#include "ui/AboutBox.h"
#include "ui/MainWindow.h"
#include "ui/PaintBox.h"

namespace tavlex {
namespace {

class WindowTest : public ::testing::Test {
 protected:
  NoDeviceDriver driver;
  ManualClock clock;
  std::unique_ptr<TForm1> form = std::make_unique<TForm1>(driver, clock);

  template <class W>
  W* Find(const char* name) {
    W* w = form->findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
};

QString Caption(QObject* o) {
  if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
  if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
  if (auto* e = qobject_cast<QLineEdit*>(o)) return e->text();
  if (auto* g = qobject_cast<QGroupBox*>(o)) return g->title();
  return "?";
}

TEST_F(WindowTest, EveryControlIsThereWithItsCaption) {
  struct Want {
    const char* name;
    const char* caption;
  };
  const Want controls[] = {
      {"Label1", "0000ch"},     {"Label2", "4095ch"},      {"Label3", "@1024"},
      {"Label5", "["},          {"Label6", "]"},           {"Label7", "2048"},  // the ramp at the cursor
      {"Label8", "0.00"},       {"Label9", "keV"},         {"Label10", "Counts"},
      {"Edit4", "ScanCount"},   {"Label4", "scans"},       {"SxfmStart", "Start"},
      {"SxfmStop", "Abort"},    {"SxfmClear", "Clear"},    {"Button7", "SetUp"},
      {"CheckBox1", "TestRun"}, {"McaOpen", "OpenMCA"},    {"Edit2", "Dev#"},
      {"McaStart", "Start"},    {"McaStop", "Stop"},       {"McaClear", "Clear"},
      {"Button10", "SetUp"},    {"ROIOnCheck", "ON"},      {"Element", "Element"},
      {"ROILowCh", "L_Ch"},     {"ROIHighCh", "H_Ch "},    {"EditROILow", ""},
      {"EditROIHigh", ""},      {"AcqMode", " ROISCA"},    {"SCAGATE", "SCAGATE"},
      {"SCAFAST", "SCAFAST"},   {"MCA", "MCA"},            {"GroupBox1", "VFS"},
      {"AutoVfs", "Auto"},      {"LogDisp", "LOG"},        {"GroupBox2", "X-Axis"},
      {"Expand", "<< >>"},      {"Compres", ">> <<"},      {"SnapPeak", "Snap Peak"},
      {"LengCh", "L_Ch."},      {"HengCh", "H_Ch."},       {"LowCh", "Low Ch"},
      {"HiCh", "High Ch"},      {"LoEng", "Low Energy"},   {"HiEng", "Hi Energy"},
      {"Unit", "Unit:"},        {"ChKev", "keV"},          {"EngCalib", "Exec Calib"},
      {"RadioGroup1", "Mem"},   {"McaMem", "MCA"},         {"Mem1Spec", "Mem1"},
      {"Mem2Spec", "Mem2"},     {"Mem3Spec", "Mem3"},      {"OverLapON", "SnapShot"},
      {"FWHM", "FWHM Calic."},  {"FwhmVal", "Ch [ keV ]"}, {"PrintSpec", "H.Copy"},
      {"PlotLpt", "Plot"},      {"AddStd", "Add Std"},     {"EditStd", "Edit Std"},
      {"ListStd", "List Std"},  {"LoadStd", "Load Std"},   {"MLSQfit", "MLSQ Fit"},
      {"Edit1", "Status"},
  };
  for (const Want& w : controls) {
    QWidget* c = form->findChild<QWidget*>(w.name);
    ASSERT_NE(c, nullptr) << w.name;
    EXPECT_EQ(Caption(c), QString::fromLatin1(w.caption)) << w.name;
  }
  // The radio buttons that are checked when the window is created.
  EXPECT_TRUE(Find<QRadioButton>("MCA")->isChecked());
  EXPECT_TRUE(Find<QRadioButton>("McaMem")->isChecked());
  EXPECT_TRUE(Find<QLineEdit>("Edit1")->isReadOnly());
  EXPECT_NE(form->findChild<UpDownArrows*>("UpDown1"), nullptr);
  EXPECT_NE(form->findChild<PaintBoxWidget*>("PaintBox1"), nullptr);
}

TEST_F(WindowTest, WindowAndAreasHaveTheirPlaces) {
  EXPECT_EQ(form->windowTitle(), "Tavlex Controll Program");
  EXPECT_EQ(form->centralWidget()->size(), QSize(754, 462));
  EXPECT_EQ(Find<QWidget>("PaintBox1")->geometry(), QRect(8, 8, 530, 320));
  EXPECT_EQ(Find<QWidget>("AXFM")->geometry(), QRect(562, 8, 169, 129));
  EXPECT_EQ(Find<QWidget>("Panel1")->geometry(), QRect(562, 136, 169, 97));
  EXPECT_EQ(Find<QWidget>("PageControl1")->geometry(), QRect(562, 240, 169, 121));
  EXPECT_EQ(Find<QWidget>("Edit1")->geometry(), QRect(562, 372, 167, 20));
  const std::pair<const char*, int> labels[] = {{"Label1", 20},  {"Label3", 98},   {"Label5", 144},
                                                {"Label8", 168}, {"Label9", 200},  {"Label6", 236},
                                                {"Label7", 256}, {"Label10", 312}, {"Label2", 500}};
  for (auto [name, left] : labels) {
    EXPECT_EQ(Find<QWidget>(name)->pos(), QPoint(left, 330)) << name;
  }
  const std::pair<const char*, QRect> rada[] = {{"AddStd", QRect(4, 8, 65, 20)},
                                                {"EditStd", QRect(4, 35, 65, 20)},
                                                {"ListStd", QRect(4, 64, 65, 20)},
                                                {"LoadStd", QRect(80, 64, 73, 20)},
                                                {"MLSQfit", QRect(80, 8, 73, 45)}};
  for (auto [name, rect] : rada) EXPECT_EQ(Find<QWidget>(name)->geometry(), rect) << name;
}

TEST_F(WindowTest, TabsCarryTheirCaptionsInOrder) {
  auto* axfm = Find<QTabWidget>("AXFM");
  ASSERT_EQ(axfm->count(), 4);
  const char* names[] = {"SXFM", "XMCA", "ROISet", "ROISCA"};
  const char* captions[] = {"SXFM", "MCA", "ROI", "ROISCA"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(axfm->widget(i)->objectName(), names[i]);
    EXPECT_EQ(axfm->tabText(i), captions[i]);
  }
  auto* pages = Find<QTabWidget>("PageControl1");
  ASSERT_EQ(pages->count(), 3);
  EXPECT_EQ(pages->tabText(0), "Eng.Calib");
  EXPECT_EQ(pages->tabText(1), "Calic. Plot");
  EXPECT_EQ(pages->tabText(2), "Rada");
  EXPECT_EQ(pages->widget(2)->objectName(), "TabSheet3");
}

// Controls under `top` whose caption, text, list entries or tabs need more room than they have.
QStringList CutCaptions(QWidget* top) {
  QStringList cut;
  for (QWidget* w : top->findChildren<QWidget*>()) {
    if (w->window() != top->window() || w->objectName().startsWith("qt_")) continue;
    w->ensurePolished();  // fonts of style sheets apply from here
    const int frame = 2 * w->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
    const QFontMetrics fm(w->font());
    // Labels, check and radio boxes, lists and tab bars by their hint; a push button's hint has
    // a minimum width of its own.
    int need = w->sizeHint().width();
    if (auto* b = qobject_cast<QPushButton*>(w))
      need = fm.horizontalAdvance(b->text()) + frame +
             w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w);
    if (auto* e = qobject_cast<QLineEdit*>(w)) need = fm.horizontalAdvance(e->text()) + frame + 4;
    if (auto* g = qobject_cast<QGroupBox*>(w)) need = g->minimumSizeHint().width();
    const bool tabs = qobject_cast<QTabBar*>(w);
    if (tabs) w = w->parentWidget();  // its tabs side by side, unscrolled
    const bool listed = tabs || qobject_cast<QLabel*>(w) || qobject_cast<QComboBox*>(w) ||
                        qobject_cast<QGroupBox*>(w) || qobject_cast<QLineEdit*>(w) ||
                        (qobject_cast<QAbstractButton*>(w) && !qobject_cast<QToolButton*>(w));
    if (listed && need > w->width()) cut << w->objectName();
    // And inside the box or page that holds it, at the design size.
    if (listed && w->isVisibleTo(top) && !top->window()->isMaximized() &&
        !w->parentWidget()->rect().contains(w->geometry()))
      cut << w->objectName() + " outside";
  }
  return cut;
}

TEST_F(WindowTest, EveryCaptionAndListEntryShowsWholeInBothLayouts) {
  TMcaAbout about(form.get());
  about.show();
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  EXPECT_EQ(CutCaptions(&about).join(" ").toStdString(), "");
  EXPECT_EQ(CutCaptions(form.get()).join(" ").toStdString(), "") << "normal";
  form->showMaximized();
  QTRY_COMPARE(form->Text(Field::Edit1), std::string("Maximized"));
  EXPECT_EQ(CutCaptions(form.get()).join(" ").toStdString(), "") << "large";
}

TEST_F(WindowTest, AcquisitionButtonsStartDisabledAndTimerOff) {
  for (const char* name : {"McaStart", "McaStop", "McaClear", "SxfmStart", "SxfmStop", "SxfmClear"})
    EXPECT_FALSE(Find<QPushButton>(name)->isEnabled()) << name;
  EXPECT_TRUE(Find<QPushButton>("McaOpen")->isEnabled());
  EXPECT_TRUE(Find<QPushButton>("Button10")->isEnabled());
  QTimer* timer = form->findChild<QTimer*>("Timer1");
  ASSERT_NE(timer, nullptr);
  EXPECT_EQ(timer->interval(), 100);
  EXPECT_FALSE(timer->isActive());
}

TEST_F(WindowTest, RegionListAndColourBox) {
  auto* list = Find<QComboBox>("ROINoSelect");
  ASSERT_EQ(list->count(), 17);
  EXPECT_EQ(list->itemText(0), "ROI # 0");
  EXPECT_EQ(list->itemText(9), "ROI # 9");
  EXPECT_EQ(list->itemText(10), "ROI #10");
  EXPECT_EQ(list->itemText(15), "ROI #15");
  EXPECT_EQ(list->itemText(16), "");
  EXPECT_EQ(list->currentIndex(), -1);

  auto* colours = Find<QComboBox>("ROIColor");
  ASSERT_EQ(colours->count(), 16);
  EXPECT_EQ(colours->currentData().toUInt(), 0xFF0000u);  // blue is selected
  const std::pair<const char*, unsigned> some[] = {
      {"black", 0x000000}, {"maroon", 0x000080}, {"navy", 0x800000}, {"red", 0x0000FF},
      {"lime", 0x00FF00},  {"aqua", 0xFFFF00},   {"white", 0xFFFFFF}};
  for (auto [name, value] : some) {
    const int i = colours->findText(name);
    ASSERT_GE(i, 0) << name;
    EXPECT_EQ(colours->itemData(i).toUInt(), value) << name;
  }
}

TEST_F(WindowTest, MenuBarHasEveryItemWithItsMnemonic) {
  const QList<QAction*> menus = form->menuBar()->actions();
  ASSERT_EQ(menus.size(), 5);
  EXPECT_EQ(menus[0]->text(), "&File");
  EXPECT_EQ(menus[1]->text(), "&System");
  EXPECT_EQ(menus[2]->text(), "&Connect");
  EXPECT_EQ(menus[3]->text(), "&Analysis");
  EXPECT_EQ(menus[4]->text(), "&Help");
  auto texts = [](QMenu* m) {
    QStringList out;
    for (QAction* a : m->actions()) out << (a->isSeparator() ? "-" : a->text());
    return out;
  };
  EXPECT_EQ(texts(menus[0]->menu()),
            QStringList({"&Read", "&AsciiWrite", "&Write", "&SetUp Print", "-", "&Exit"}));
  EXPECT_EQ(texts(menus[1]->menu()), QStringList({"&Utility", "&DefaultParam.", "&Option"}));
  EXPECT_EQ(texts(menus[2]->menu()), QStringList({"&OpenMca", "&ScanMca"}));
  EXPECT_EQ(texts(menus[3]->menu()), QStringList({"&Elements..."}));
  EXPECT_EQ(texts(menus[4]->menu()), QStringList({"&About"}));
  for (const char* name : {"Read1", "Write2", "Write1", "SetupPrint", "N1", "Exit1", "Utility",
                           "DefaultVal1", "Option1", "Open1", "Scan1", "Elements1", "About1"})
    EXPECT_NE(form->findChild<QAction*>(name), nullptr) << name;
}

TEST_F(WindowTest, FileDialogsHaveTheirFiltersAndExtensions) {
  auto* open = Find<QFileDialog>("OpenDialog1");
  auto* save = Find<QFileDialog>("SaveDialog1");
  auto* dump = Find<QFileDialog>("SaveDialog2");
  // The filters the user picks from, and the extension a bare name gets.
  EXPECT_EQ(open->nameFilters(), QStringList({"spectrum(*.dat)"}));
  EXPECT_EQ(open->defaultSuffix(), "dat");
  EXPECT_EQ(open->acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFile);
  EXPECT_EQ(save->nameFilters(), QStringList({"spectrum(*.dat)"}));
  EXPECT_EQ(save->defaultSuffix(), "dat");
  EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(dump->nameFilters(), QStringList({"Spectrumn(*.txt)"}));
  EXPECT_EQ(dump->defaultSuffix(), "txt");
  EXPECT_EQ(dump->acceptMode(), QFileDialog::AcceptSave);
}

TEST_F(WindowTest, SystemAndConnectItemsChangeNothing) {
  const AppState& s = form->State();
  auto before = std::make_unique<AppState>();
  *before = s;
  const QImage picture = s.paintBox.copy();
  for (const char* name : {"Utility", "DefaultVal1", "Option1", "Open1", "Scan1"})
    Find<QAction>(name)->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(s.deviceCount, before->deviceCount);
  EXPECT_EQ(s.channelSize, before->channelSize);
  EXPECT_EQ(s.viewStart, before->viewStart);
  EXPECT_EQ(s.viewEnd, before->viewEnd);
  EXPECT_EQ(s.cursorChannel, before->cursorChannel);
  EXPECT_EQ(0, std::memcmp(s.spectrumCounts, before->spectrumCounts, sizeof s.spectrumCounts));
  EXPECT_EQ(s.paintBox, picture);
  EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "Status");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // nothing opened a window
}

TEST_F(WindowTest, AboutBoxShowsTheSameContentEveryTime) {
  TMcaAbout about(form.get());
  form->SetAboutBox(&about);
  QStringList seen;
  for (int round = 0; round < 2; ++round) {
    QTimer::singleShot(0, [&] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_EQ(box, &about);
      QStringList texts;
      for (QLabel* l : box->findChildren<QLabel*>()) texts << l->objectName() + "=" + l->text();
      seen << texts.join("|");
      QTest::mouseClick(about.Button1, Qt::LeftButton);
    });
    Find<QAction>("About1")->trigger();
  }
  ASSERT_EQ(seen.size(), 2);
  EXPECT_EQ(seen[0], seen[1]);
  EXPECT_TRUE(seen[0].contains("Label2=TAVLEX.EXE"));
  EXPECT_TRUE(seen[0].contains("Label3=Version: 1.0  2018/8/11"));
  EXPECT_TRUE(seen[0].contains("Label4=UpDate and DownLoad:"));
  EXPECT_TRUE(seen[0].contains("Orvanel"));
  EXPECT_EQ(about.windowTitle(), "McaAbout");
  EXPECT_EQ(about.size(), QSize(270, 134));
  EXPECT_FALSE(about.Image1->pixmap().isNull());
  EXPECT_EQ(about.Button1->geometry(), QRect(96, 110, 75, 20));
  EXPECT_FALSE(about.isVisible());
}

TEST_F(WindowTest, ExitStopsTheTimerAndNothingDrawsAfterwards) {
  form->show();
  form->SetTimerEnabled(true);
  ASSERT_TRUE(form->TimerEnabled());
  Find<QAction>("Exit1")->trigger();
  EXPECT_FALSE(form->TimerEnabled());
  EXPECT_FALSE(form->State().bitmapsAlive);
  EXPECT_TRUE(form->State().plotBitmap.isNull());
  EXPECT_FALSE(form->isVisible());
  // A late tick or repaint must find nothing to draw on, and must not fail.
  form->Timer1Timer();
  form->PaintBox1Paint();
  form->SetTimerEnabled(true);
  EXPECT_FALSE(form->TimerEnabled());
  form->PaintBox1->repaint();
  QCoreApplication::processEvents();
  EXPECT_TRUE(form->State().plotBitmap.isNull());
}

TEST(DataModuleTest, NewTableHasSixteenEmptySlots) {
  auto dm = std::make_unique<TDmSMTX>();
  EXPECT_EQ(dm->tableLabel, " [ New File  ]");
  EXPECT_EQ(dm->activeCount, 0);
  EXPECT_EQ(dm->filterSideWidth, 8);
  EXPECT_EQ(dm->filterCentreWidth, 16);
  for (const StandardRecord& r : dm->table) {
    EXPECT_EQ(std::memcmp(r.data() + 0, "       \0", 8), 0);
    EXPECT_EQ(std::memcmp(r.data() + 32, "     \0", 6), 0);
    EXPECT_TRUE(r.IsEmptySlot());
    EXPECT_EQ(r.FitOn(), 0);
    EXPECT_FLOAT_EQ(r.Cf(), 1.0f);
    EXPECT_FLOAT_EQ(r.ChemWtPercent(), 0.0f);
    for (std::size_t i = 52; i < 76; ++i) EXPECT_EQ(r.bytes[i], 0) << i;
    EXPECT_EQ(r.KRatio(), 0.0f);
  }
}

}  // namespace
}  // namespace tavlex
