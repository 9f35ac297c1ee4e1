#pragma once
// Analysis -> Elements...: the X-ray line markers, the identification of the displayed spectrum
// and regions of interest from lines. Widgets only: the window connects them to its handlers
// (MainWindowElements.cpp), which do the work with analysis/ and display/.

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace tavlex {

class TElementsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TElementsDialog(QWidget* parent = nullptr);

  // The periodic-table button of element z (Na to U), or nullptr.
  QToolButton* ElementButton(int z) const;

  QLineEdit* ElementEdit = nullptr;  // symbols, "Fe, Cr Ni"
  QLineEdit* TubeEdit = nullptr;     // the tube's anode, for the scatter peaks
  QPushButton *MarkButton = nullptr, *ClearButton = nullptr, *IdentifyButton = nullptr,
              *RoiButton = nullptr;
  QListWidget* LineList = nullptr;  // lines of the marked elements, ticked: ROIs from lines
  QPlainTextEdit* ResultText = nullptr;
  QLabel* MessageLabel = nullptr;

 signals:
  // A periodic-table button was toggled by the operator.
  void elementToggled(int z, bool on);

 private:
  QToolButton* buttons_[93] = {};
};

}  // namespace tavlex
