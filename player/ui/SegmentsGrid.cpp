#include "SegmentsGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

TSegmentsGrid::TSegmentsGrid(int rows, int columns, QWidget* parent) : QTableWidget(rows, columns, parent) {
  horizontalHeader()->show();
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->hide();
  // Rows of the text's height, so that a long movie's segments are seen at once.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  setRowHidden(0, true);
}

void TSegmentsGrid::SetTitle(int column, const QString& text) {
  QTableWidgetItem* title = horizontalHeaderItem(column);
  if (!title) {
    title = new QTableWidgetItem;
    setHorizontalHeaderItem(column, title);
  }
  title->setText(text);
  title->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TSegmentsGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
  QTableWidget::scrollTo(index, hint);
  horizontalScrollBar()->setValue(0);
}

void TSegmentsGrid::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Home || event->key() == Qt::Key_End) && rowCount() > 1) {
    setCurrentCell(event->key() == Qt::Key_Home ? 1 : rowCount() - 1, std::max(currentColumn(), 0));
    return;
  }
  QTableWidget::keyPressEvent(event);
}

void TSegmentsGrid::rowsInserted(const QModelIndex& parent, int start, int end) {
  QTableWidget::rowsInserted(parent, start, end);
  // The title row stays hidden as a row, whatever the row count was.
  setRowHidden(0, true);
}
