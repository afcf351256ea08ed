// The segments dialog: lists the segments of a movie with their durations.
#pragma once

#include <QDialog>

class QTableWidget;

class TfrmSegments : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmSegments(QWidget* parent = nullptr);

  // The grid of texts: row 0 is the title row, row n describes segment n.
  QTableWidget* sgdSegments;

  int RowCount() const;
  void SetRowCount(int rows);
  QString Cell(int column, int row) const;
  void SetCell(int column, int row, const QString& text);

 private:
  void FormCreate();
};
