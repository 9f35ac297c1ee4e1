#pragma once
// The SXFM setup dialog "SXFM SetUp" (window definition unit Dlgsxfm): memory size of the two scan
// banks, the preset of one scan, the refresh interval, and where finished scans are saved.

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "acq/SetupRules.h"
#include "app/Records.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tavlex {

class TSXFMSetUp : public QDialog {
  Q_OBJECT
 public:
  using ErrorReporter = std::function<void(const std::string& message)>;
  // Asks for the name beside which finished scans are saved (8-bit path); nothing if cancelled.
  using FileChooser = std::function<std::optional<std::string>()>;

  TSXFMSetUp(SxfmSetup& setup, ErrorReporter reportError, FileChooser chooseFile,
             QWidget* parent = nullptr);

  // Stores the controls into the record in their order; a bad number throws ConvertError and
  // leaves the fields after it as they were.
  void Store();

  QGroupBox *McaMemSize = nullptr, *McaTimers = nullptr, *XrayMapPara = nullptr;
  QRadioButton *MemSize512 = nullptr, *MemSize1024 = nullptr, *MemSize2048 = nullptr;
  QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
         *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *Label8 = nullptr;
  QLineEdit *SXFMPreSetTime = nullptr, *DispRefTimer = nullptr, *Edit3 = nullptr,
            *XMapSize = nullptr, *YMapSize = nullptr;
  QCheckBox *ScanSkipOption = nullptr, *SaveRawData = nullptr, *ElementMapON = nullptr;
  QCheckBox* MapROI[8] = {};
  QPushButton *OkButton = nullptr, *CancelButton = nullptr;
  // Shown while the refresh interval is not shorter than a scan: scans would be missed.
  QLabel* RefreshWarning = nullptr;

 public slots:
  void FormCreate();
  void OkButtonClick();
  void CancelButtonClick();
  void SaveRawDataClick();
  void SXFMPreSetTimeChange();
  void DispRefTimerChange();

 private:
  void CreateControls();
  void ShowRefreshWarning();

  SxfmSetup& setup_;
  ErrorReporter reportError_;
  FileChooser chooseFile_;
  std::string chosen_;  // the name chosen with "Save Spectrum Data"
};

}  // namespace tavlex
