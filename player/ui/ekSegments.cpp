#include "ekSegments.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

#include "SegmentsGrid.h"

namespace {

QLabel* Text(QWidget* parent, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

}  // namespace

TfrmSegments::TfrmSegments(QWidget* parent) : QDialog(parent), sgdSegments(new TSegmentsGrid(2, 3, this)) {
  setWindowTitle(QStringLiteral("Управление Сегментами"));
  setWindowFlag(Qt::WindowStaysOnTopHint);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(false);
  setFixedSize(569, 424);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  setFont(font);

  auto* header = new QWidget(this);
  header->setGeometry(0, 0, 569, 65);
  header->setAutoFillBackground(true);
  QPalette white = header->palette();
  white.setColor(QPalette::Window, Qt::white);
  header->setPalette(white);
  QLabel* title = Text(header, QStringLiteral("Сегменты"), 8, 0);
  QFont bold = font;
  bold.setPixelSize(13);
  bold.setBold(true);
  title->setFont(bold);
  title->adjustSize();
  Text(header,
       QStringLiteral("Служат для разбиение фильма на логически отдельные части.\n"
                      "Фильм проще записывать по отдельным сегментам, потом объединить в одно целое.\n"
                      "Позволяют быстро перемещатся между сегментами во время воспроизведения."),
       32, 16);

  sgdSegments->setGeometry(0, 65, 569, 319);
  QFont tahoma(QStringLiteral("Tahoma"));
  tahoma.setPixelSize(11);
  sgdSegments->setFont(tahoma);
  sgdSegments->setShowGrid(true);
  sgdSegments->setSelectionBehavior(QAbstractItemView::SelectRows);
  sgdSegments->setSelectionMode(QAbstractItemView::SingleSelection);
  sgdSegments->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgdSegments->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sgdSegments->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  sgdSegments->setColumnWidth(0, 43);
  sgdSegments->setColumnWidth(1, 430);
  sgdSegments->setColumnWidth(2, 89);
  sgdSegments->verticalHeader()->setDefaultSectionSize(sgdSegments->fontMetrics().height() + 4);
  connect(sgdSegments, &QTableWidget::cellDoubleClicked, this, [this] { sgdSegmentsDblClick(); });

  auto* bottom = new QWidget(this);
  bottom->setGeometry(0, 384, 569, 40);
  ASelect = new QAction(QStringLiteral("Закрыть"), this);
  ASelect->setToolTip(QStringLiteral("Выбрать и закрыть"));
  ASelect->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
  connect(ASelect, &QAction::triggered, this, &TfrmSegments::ASelectExecute);
  addAction(ASelect);
  AHelp = new QAction(QStringLiteral("Справка..."), this);
  AHelp->setToolTip(QStringLiteral("Справка"));
  AHelp->setShortcut(QKeySequence(Qt::Key_F1));
  connect(AHelp, &QAction::triggered, this, &TfrmSegments::AHelpExecute);
  addAction(AHelp);
  btnHelp = new QPushButton(AHelp->text(), bottom);
  btnHelp->setGeometry(8, 8, 75, 24);
  btnHelp->setToolTip(AHelp->toolTip());
  btnHelp->setAutoDefault(false);
  connect(btnHelp, &QPushButton::clicked, AHelp, &QAction::trigger);
  // The button shows its own caption; the action's stays hidden.
  btnClose = new QPushButton(QStringLiteral("Выбрать"), bottom);
  btnClose->setGeometry(487, 8, 75, 24);
  btnClose->setToolTip(ASelect->toolTip());
  btnClose->setAutoDefault(false);
  connect(btnClose, &QPushButton::clicked, ASelect, &QAction::trigger);
  FormCreate();
}

void TfrmSegments::FormCreate() {
  SetCell(0, 0, QStringLiteral("№"));
  SetCell(1, 0, QStringLiteral("Название"));
  SetCell(2, 0, QStringLiteral("Время"));
}

void TfrmSegments::showEvent(QShowEvent* event) {
  // First shown at its stored place, afterwards where the user left it.
  if (!placed_) {
    move(301, 127);
    placed_ = true;
  }
  QDialog::showEvent(event);
  FormShow();
}

void TfrmSegments::FormShow() {
  // The first segment is the selected row until the user picks another.
  if (sgdSegments->currentRow() < 1 && RowCount() > 1) sgdSegments->setCurrentCell(1, 0);
  sgdSegments->setFocus();
}

void TfrmSegments::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // The action's shortcut takes Enter first; this only runs when it did not.
      sgdSegmentsDblClick();
      return;
    case Qt::Key_Escape: close(); return;
    default: QDialog::keyPressEvent(event);
  }
}

void TfrmSegments::sgdSegmentsDblClick() { ASelect->trigger(); }

void TfrmSegments::ASelectExecute() {
  if (OnSelect) OnSelect(sgdSegments->currentRow());
  close();
}

void TfrmSegments::AHelpExecute() {
  if (OnHelp) OnHelp(this);
}

int TfrmSegments::RowCount() const { return sgdSegments->rowCount(); }

void TfrmSegments::SetRowCount(int rows) { sgdSegments->setRowCount(rows); }

QString TfrmSegments::Cell(int column, int row) const {
  const QTableWidgetItem* item = sgdSegments->item(row, column);
  return item ? item->text() : QString();
}

void TfrmSegments::SetCell(int column, int row, const QString& text) {
  QTableWidgetItem* item = sgdSegments->item(row, column);
  if (!item) {
    item = new QTableWidgetItem;
    // The title row is fixed: it can't be chosen.
    if (row == 0) item->setFlags(Qt::ItemIsEnabled);
    sgdSegments->setItem(row, column, item);
  }
  item->setText(text);
  if (row == 0) sgdSegments->SetTitle(column, text);
}
