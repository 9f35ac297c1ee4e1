#pragma once
// The standards editor TEditStd (unit Editref), "Rada Standard Element Editer": one row per slot of
// the standards table, edited in place, so what is typed stays in the table however the dialog is
// closed.

#include <QDialog>

#include "app/MainWindowPort.h"
#include "standards/StandardsTable.h"

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavlex {

class TEditStd : public QDialog {
  Q_OBJECT
 public:
  // Closing results: Ok and Cancel.
  static constexpr int kResultOk = 1;
  static constexpr int kResultCancel = 2;

  // `status` is the main window whose status box a save reports to, when there is one.
  explicit TEditStd(TDmSMTX& dm, QWidget* parent = nullptr, MainWindowPort* status = nullptr);

  // Fills the controls from the table; runs again on every click of WtperON.
  void FormCreate();
  void WtperONClick();
  void SaveRefClick();
  // The sixteen weight-per-cent handlers: row n stores into slot n - 1.
  void StdWtperChange(int slot);
  void Std1WtperChange() { StdWtperChange(0); }
  void Std2WtperChange() { StdWtperChange(1); }
  void Std3WtperChange() { StdWtperChange(2); }
  void Std4WtperChange() { StdWtperChange(3); }
  void Std5WtperChange() { StdWtperChange(4); }
  void Std6WtperChange() { StdWtperChange(5); }
  void Std7WtperChange() { StdWtperChange(6); }
  void Std8WtperChange() { StdWtperChange(7); }
  void Std9WtperChange() { StdWtperChange(8); }
  void Std10WtperChange() { StdWtperChange(9); }
  void Std11WtperChange() { StdWtperChange(10); }
  void Std12WtperChange() { StdWtperChange(11); }
  void Std13WtperChange() { StdWtperChange(12); }
  void Std14WtperChange() { StdWtperChange(13); }
  void Std15WtperChange() { StdWtperChange(14); }
  void Std16WtperChange() { StdWtperChange(15); }
  // Showing fitOn is all the boxes do; the remaining buttons have no action of their own.
  void StdNoClick(int) {}
  void InitRefClick() {}
  void UpDateRefClick() {}
  void EditOkClick();
  void EditCancelClick();

  // Escape closes as Cancel does.
  void reject() override;

  QLabel *StdElemName = nullptr, *Kratio = nullptr, *ChemiVal = nullptr, *CfValue = nullptr,
         *StdSpecFile = nullptr, *StdTableFile = nullptr;
  QFrame* Bevel1 = nullptr;
  // Row n of the grid, index n - 1: StdNo1 .. StdNo16, Std1Kratio .. Std16Kratio, and so on.
  QCheckBox* StdNo[kStandardSlots] = {};
  QLineEdit* StdKratio[kStandardSlots] = {};
  QLineEdit* StdWtper[kStandardSlots] = {};
  QLineEdit* StdCf[kStandardSlots] = {};
  QLineEdit* StdFileName[kStandardSlots] = {};
  QWidget* Panel1 = nullptr;
  QPushButton *InitRef = nullptr, *UpDateRef = nullptr, *SaveRef = nullptr;
  // Under Save Table: why the last save failed, since the dialog hides the status box.
  QLabel* SaveResult = nullptr;
  QCheckBox* WtperON = nullptr;
  QLabel *XrayHV = nullptr, *XrayCurrent = nullptr;
  QLineEdit *HVinKV = nullptr, *TubeuA = nullptr;
  QPushButton *EditOk = nullptr, *EditCancel = nullptr;

 private:
  void CreateControls();
  void CreateRow(int slot);
  void CreatePanel();
  void ConnectHandlers();

  TDmSMTX& dm_;
  MainWindowPort* status_;
};

}  // namespace tavlex
