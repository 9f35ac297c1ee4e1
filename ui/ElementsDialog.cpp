// The Elements dialog: a periodic table of Na to U, the typed list, the tube's anode, the line
// list and the identification's result.

#include "ui/ElementsDialog.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "analysis/XrayLines.h"

namespace tavlex {

namespace {

// Row and column of element z in the periodic table, the lanthanides and actinides after La
// and Ac in two rows of their own below.
void TablePlace(int z, int& row, int& col) {
  if (z <= 12) {
    row = 0, col = z - 11;
  } else if (z <= 18) {
    row = 0, col = z - 1;  // Al..Ar in columns 13..18
  } else if (z <= 36) {
    row = 1, col = z - 19;
  } else if (z <= 54) {
    row = 2, col = z - 37;
  } else if (z <= 57) {
    row = 3, col = z - 55;
  } else if (z <= 71) {
    row = 5, col = z - 58 + 3;
  } else if (z <= 86) {
    row = 3, col = z - 72 + 3;
  } else if (z <= 89) {
    row = 4, col = z - 87;
  } else {
    row = 6, col = z - 90 + 3;
  }
}

}  // namespace

TElementsDialog::TElementsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("ElementsDialog");
  setWindowTitle("Elements");
  auto* layout = new QVBoxLayout(this);

  auto* table = new QGridLayout;
  table->setSpacing(1);
  for (int z = kXrayFirstZ; z <= kXrayLastZ; ++z) {
    const XrayElement* el = XrayElementByZ(z);
    if (el == nullptr) continue;
    auto* b = new QToolButton(this);
    b->setObjectName(QString("Element_%1").arg(el->symbol));
    b->setText(el->symbol);
    b->setCheckable(true);
    b->setFixedSize(28, 22);
    b->setToolTip(QString("Z = %1").arg(z));
    int row = 0, col = 0;
    TablePlace(z, row, col);
    table->addWidget(b, row, col);
    buttons_[z] = b;
    connect(b, &QToolButton::clicked, this, [this, z](bool on) { emit elementToggled(z, on); });
  }
  layout->addLayout(table);

  auto* row1 = new QHBoxLayout;
  row1->addWidget(new QLabel("Elements", this));
  ElementEdit = new QLineEdit(this);
  ElementEdit->setObjectName("ElementEdit");
  ElementEdit->setPlaceholderText("Fe, Cr, Ni");
  row1->addWidget(ElementEdit, 1);
  MarkButton = new QPushButton("Mark", this);
  MarkButton->setObjectName("MarkButton");
  ClearButton = new QPushButton("Clear", this);
  ClearButton->setObjectName("ClearButton");
  row1->addWidget(MarkButton);
  row1->addWidget(ClearButton);
  layout->addLayout(row1);

  auto* row2 = new QHBoxLayout;
  row2->addWidget(new QLabel("Tube anode", this));
  TubeEdit = new QLineEdit(this);
  TubeEdit->setObjectName("TubeEdit");
  TubeEdit->setMaxLength(2);
  TubeEdit->setFixedWidth(40);
  TubeEdit->setPlaceholderText("Rh");
  row2->addWidget(TubeEdit);
  IdentifyButton = new QPushButton("Identify", this);
  IdentifyButton->setObjectName("IdentifyButton");
  RoiButton = new QPushButton("ROIs from lines", this);
  RoiButton->setObjectName("RoiButton");
  row2->addWidget(IdentifyButton);
  row2->addWidget(RoiButton);
  row2->addStretch(1);
  layout->addLayout(row2);

  MessageLabel = new QLabel(this);
  MessageLabel->setObjectName("MessageLabel");
  layout->addWidget(MessageLabel);

  auto* row3 = new QHBoxLayout;
  LineList = new QListWidget(this);
  LineList->setObjectName("LineList");
  LineList->setMinimumWidth(170);
  ResultText = new QPlainTextEdit(this);
  ResultText->setObjectName("ResultText");
  ResultText->setReadOnly(true);
  ResultText->setLineWrapMode(QPlainTextEdit::NoWrap);
  ResultText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  ResultText->setMinimumWidth(380);
  row3->addWidget(LineList);
  row3->addWidget(ResultText, 1);
  layout->addLayout(row3, 1);
}

QToolButton* TElementsDialog::ElementButton(int z) const {
  return z >= 0 && z < 93 ? buttons_[z] : nullptr;
}

}  // namespace tavlex
