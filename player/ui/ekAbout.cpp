#include "ekAbout.h"

#include <QLabel>
#include <QPushButton>

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("О программе"));
  setFixedSize(392, 233);
  auto* name = new QLabel(QStringLiteral("ekPlayer"), this);
  name->setGeometry(232, 4, 107, 31);
  auto* version = new QLabel(QStringLiteral("версия 1.4"), this);
  version->setGeometry(323, 32, 54, 13);
  auto* close = new QPushButton(QStringLiteral("Закрыть"), this);
  close->setGeometry(304, 200, 81, 25);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
}
