// The grid of the segments dialog. Its first row is the title row: it stays
// put above the segments as the grid's header and can't be chosen. The grid
// scrolls only up and down (its columns fit), and Home and End, with Ctrl or
// without, go to the first and the last segment.
#pragma once

#include <QTableWidget>

class TSegmentsGrid : public QTableWidget {
  Q_OBJECT

 public:
  TSegmentsGrid(int rows, int columns, QWidget* parent);
  void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
  // The title row's text of a column, shown in the header.
  void SetTitle(int column, const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void rowsInserted(const QModelIndex& parent, int start, int end) override;
};
