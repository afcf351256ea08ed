// The separate display window, in which the picture can be shown on its own.
#pragma once

#include <QWidget>

class TfrmDisplay : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmDisplay(QWidget* parent = nullptr);
};
