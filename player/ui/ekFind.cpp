#include "ekFind.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "DurationText.h"
#include "Exception.h"
#include "SegInfo.h"
#include "TextCache.h"
#include "TextSearch.h"

TfrmFind::TfrmFind(QWidget* parent)
    : QDialog(parent), edtQuery(new QLineEdit(this)), lstHits(new QTreeWidget(this)), lblProgress(new QLabel(this)) {
  setWindowTitle(QStringLiteral("Поиск"));
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  setModal(false);
  resize(520, 360);
  auto* layout = new QVBoxLayout(this);
  auto* caption = new QLabel(QStringLiteral("&Найти текст на экране:"), this);
  caption->setBuddy(edtQuery);
  layout->addWidget(caption);
  layout->addWidget(edtQuery);
  lstHits->setColumnCount(3);
  lstHits->setHeaderLabels({QStringLiteral("Сегмент"), QStringLiteral("Время"), QStringLiteral("Текст")});
  lstHits->setRootIsDecorated(false);
  lstHits->setUniformRowHeights(true);
  lstHits->header()->setStretchLastSection(true);
  lstHits->setColumnWidth(0, 140);
  lstHits->setColumnWidth(1, 90);
  layout->addWidget(lstHits, 1);
  layout->addWidget(lblProgress);

  typing_.setSingleShot(true);
  typing_.setInterval(250);
  connect(&typing_, &QTimer::timeout, this, [this] { Search(); });
  connect(edtQuery, &QLineEdit::textEdited, this, [this] { typing_.start(); });
  connect(edtQuery, &QLineEdit::returnPressed, this, [this] {
    typing_.stop();
    Search();
    if (!hits_.empty()) Choose(0);
  });
  connect(lstHits, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { Choose(lstHits->indexOfTopLevelItem(item)); });
  // While the text is being read, what is read so far is searched again.
  poll_.setInterval(1000);
  connect(&poll_, &QTimer::timeout, this, [this] { ShowProgress(); });
}

TfrmFind::~TfrmFind() = default;

void TfrmFind::SetMovie(const std::string& folder, const std::string& key) {
  folder_ = folder;
  key_ = key;
  failure_.clear();
  framesRead_ = -1;
  hits_.clear();
  lstHits->clear();
  ShowProgress();
}

void TfrmFind::SetReadingFailure(const QString& failure) {
  failure_ = failure;
  ShowProgress();
}

void TfrmFind::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The first time at the main window's lower right, over as little of the picture as may be.
  if (!placed_ && parentWidget()) {
    const QRect owner = parentWidget()->frameGeometry();
    move(owner.right() - frameGeometry().width() - 8, owner.bottom() - frameGeometry().height() - 48);
    placed_ = true;
  }
  poll_.start();
  ShowProgress();
  edtQuery->setFocus();
  edtQuery->selectAll();
}

void TfrmFind::hideEvent(QHideEvent* event) {
  poll_.stop();
  QDialog::hideEvent(event);
}

void TfrmFind::Refresh() {
  framesRead_ = -1;
  ShowProgress();
}

void TfrmFind::ShowProgress() {
  if (key_.empty()) {
    // No cache: no movie, or a cache folder that can't be used, which the failure says.
    lblProgress->setText(failure_.isEmpty() ? QStringLiteral("Фильм не загружен")
                                            : QStringLiteral("Текст не прочитан: ") + failure_);
    return;
  }
  const auto cache = TTextCache::OpenToRead(folder_, key_);
  const int64_t read = cache ? cache->FramesRead() : 0, all = cache ? cache->FramesInAll() : 0;
  if (cache && cache->Complete()) {
    lblProgress->setText(QStringLiteral("Текст фильма прочитан"));
  } else if (!failure_.isEmpty()) {
    lblProgress->setText(QStringLiteral("Текст не прочитан: ") + failure_);
  } else {
    lblProgress->setText(QStringLiteral("Текст читается: %1 %").arg(all > 0 ? read * 100 / all : 0));
  }
  if (read != framesRead_) {
    framesRead_ = read;
    ListHits(cache.get());
  }
}

void TfrmFind::Search() { ListHits(key_.empty() ? nullptr : TTextCache::OpenToRead(folder_, key_).get()); }

void TfrmFind::ListHits(const TTextCache* cache) {
  const int chosen = lstHits->currentIndex().row();
  hits_.clear();
  lstHits->clear();
  if (!cache) return;
  try {
    hits_ = SearchCache(*cache, QueryWords(edtQuery->text().toStdString()));
  } catch (const platform::Exception&) {
    // A cache being written may refuse a moment; the next poll searches again.
    return;
  }
  const std::vector<TSegmentText> segments = cache->Segments();
  QList<QTreeWidgetItem*> items;
  for (const TTextLine& line : hits_) {
    const TSegmentText& s = segments[static_cast<size_t>(line.segment)];
    const QString time = QString::fromStdString(
        DurationText(line.firstFrame, static_cast<uint8_t>(KnownFrameRate(s.frameRate))));
    items.push_back(new QTreeWidgetItem({QStringLiteral("%1. %2").arg(line.segment + 1).arg(QString::fromStdString(s.name)),
                                         time, QString::fromStdString(line.text)}));
  }
  lstHits->addTopLevelItems(items);
  if (chosen >= 0 && chosen < lstHits->topLevelItemCount()) lstHits->setCurrentItem(lstHits->topLevelItem(chosen));
}

void TfrmFind::Choose(int row) {
  if (row < 0 || static_cast<size_t>(row) >= hits_.size()) return;
  lstHits->setCurrentItem(lstHits->topLevelItem(row));
  if (OnChoose) OnChoose(hits_[static_cast<size_t>(row)]);
}

bool TfrmFind::ChooseNext() {
  if (hits_.empty()) return false;
  const int current = lstHits->currentIndex().row();
  Choose(current + 1 < static_cast<int>(hits_.size()) ? current + 1 : 0);
  return true;
}
