#include "ekSegments.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

TfrmSegments::TfrmSegments(QWidget* parent) : QDialog(parent), sgdSegments(new QTableWidget(2, 3, this)) {
  setWindowTitle(QStringLiteral("Управление Сегментами"));
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setFixedSize(569, 424);
  sgdSegments->horizontalHeader()->hide();
  sgdSegments->verticalHeader()->hide();
  sgdSegments->setSelectionBehavior(QAbstractItemView::SelectRows);
  sgdSegments->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgdSegments->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sgdSegments->setColumnWidth(0, 43);
  sgdSegments->setColumnWidth(1, 430);
  sgdSegments->setColumnWidth(2, 89);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 65, 0, 40);
  layout->addWidget(sgdSegments);
  FormCreate();
}

void TfrmSegments::FormCreate() {
  SetCell(0, 0, QStringLiteral("№"));
  SetCell(1, 0, QStringLiteral("Название"));
  SetCell(2, 0, QStringLiteral("Время"));
}

int TfrmSegments::RowCount() const { return sgdSegments->rowCount(); }

void TfrmSegments::SetRowCount(int rows) { sgdSegments->setRowCount(rows); }

QString TfrmSegments::Cell(int column, int row) const {
  const QTableWidgetItem* item = sgdSegments->item(row, column);
  return item ? item->text() : QString();
}

void TfrmSegments::SetCell(int column, int row, const QString& text) {
  if (QTableWidgetItem* item = sgdSegments->item(row, column)) {
    item->setText(text);
  } else {
    sgdSegments->setItem(row, column, new QTableWidgetItem(text));
  }
}
