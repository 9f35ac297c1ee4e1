#pragma once
// The about box McaAbout (window definition unit Helpabout): created once at start-up, hidden,
// shown again by Help -> About.

#include <QDialog>

class QLabel;
class QPushButton;

namespace tavlex {

class TMcaAbout : public QDialog {
  Q_OBJECT
 public:
  explicit TMcaAbout(QWidget* parent = nullptr);

  QLabel *Image1 = nullptr, *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr,
         *Label4 = nullptr, *Label5 = nullptr;
  QPushButton* Button1 = nullptr;
};

// The small instrument picture of the about box: an analyser box with a spectrum on its screen.
QPixmap DrawInstrumentIcon(int width, int height);

}  // namespace tavlex
