// The find window: a query, the lines of the movie's text that match it
// (segment, time, line), and how far the text has been read. Choosing a line
// hands it to the player, which goes to its moment.
#pragma once

#include <QDialog>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TextLine.h"

class QLabel;
class QLineEdit;
class QTreeWidget;
class TTextCache;
struct TSegmentText;

class TfrmFind : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmFind(QWidget* parent = nullptr);
  ~TfrmFind() override;

  // The text cache of the loaded movie: its folder and key, or none.
  void SetMovie(const std::string& folder, const std::string& key);
  // The reading stopped, and why when it failed.
  void SetReadingFailure(const QString& failure);
  // Finds the query again in what is read now.
  void Refresh();
  // The hit after the chosen one, chosen; false when there are none.
  bool ChooseNext();

  QLineEdit* edtQuery;
  QTreeWidget* lstHits;
  QLabel* lblProgress;
  // What the owner does with a chosen line.
  std::function<void(const TTextLine& line)> OnChoose;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // Searches the movie's cache as it stands.
  void Search();
  // The lines of the open cache that match the query, listed; none without a cache.
  void ListHits(const TTextCache* cache);
  void ShowProgress();
  void Choose(int row);

  std::string folder_, key_;
  QString failure_;
  std::vector<TTextLine> hits_;
  int64_t framesRead_ = -1;
  bool placed_ = false;
  QTimer poll_;
  QTimer typing_;
};
