#pragma once
// The MCA setup dialog "XMCA1 SetUp" (window definition unit Xmca1): memory size, preset time, dead
// time per event, data comment and sample ID, edited in the McaSetup record of the program state.

#include <QDialog>
#include <functional>
#include <string>

#include "acq/SetupRules.h"
#include "app/Records.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tavlex {

class TXMCA1SetUp : public QDialog {
  Q_OBJECT
 public:
  using ErrorReporter = std::function<void(const std::string& message)>;

  // `reportError` shows a conversion error in the standard error box.
  TXMCA1SetUp(McaSetup& setup, ErrorReporter reportError, QWidget* parent = nullptr);

  // Stores the controls into the record in their order; a text that is not a number throws
  // ConvertError and leaves the fields after it as they were.
  void Store();
  // True when the last store, however the dialog was closed, converted every number.
  bool StoredCleanly() const { return storedCleanly_; }

  QGroupBox* McaMemory = nullptr;
  QRadioButton *m256ch = nullptr, *m512ch = nullptr, *m1024ch = nullptr, *m2048ch = nullptr,
               *m4096ch = nullptr;
  QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr,
         *Label5 = nullptr, *Label6 = nullptr, *Comment1 = nullptr, *Comment2 = nullptr;
  QLineEdit *PresetRT = nullptr, *DeadTime = nullptr, *SpcLabel1 = nullptr, *SpcLabel2 = nullptr;
  QPushButton *OkButton = nullptr, *CancelButton = nullptr;

 public slots:
  void FormCreate();
  void OkButtonClick();
  void PresetRTChange();
  void DeadTimeChange();

 protected:
  // Every way of closing stores the controls, Cancel included.
  void done(int result) override;

 private:
  void CreateControls();
  bool StoreReporting();

  McaSetup& setup_;
  ErrorReporter reportError_;
  bool storedCleanly_ = true;
};

}  // namespace tavlex
