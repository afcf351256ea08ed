// The segments dialog: lists the segments of a movie with their durations
// and hands the chosen one to the player.
#pragma once

#include <QDialog>

#include <functional>

#include "SegmentsGrid.h"

class QAction;
class QPushButton;

class TfrmSegments : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmSegments(QWidget* parent = nullptr);

  // The grid of texts: row 0 is the title row, row n describes segment n.
  TSegmentsGrid* sgdSegments;
  QAction* ASelect;
  QAction* AHelp;
  QPushButton* btnHelp;
  QPushButton* btnClose;

  int RowCount() const;
  void SetRowCount(int rows);
  QString Cell(int column, int row) const;
  void SetCell(int column, int row, const QString& text);

  void ASelectExecute();
  void AHelpExecute();
  void sgdSegmentsDblClick();

  // What the owner does with a chosen row (from 1), and how it shows help.
  std::function<void(int row)> OnSelect;
  std::function<void(QWidget* owner)> OnHelp;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void FormCreate();
  void FormShow();

  bool placed_ = false;
};
