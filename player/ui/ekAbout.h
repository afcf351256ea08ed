// The About box: the program's name and version, a copyright line, a
// picture, and a web and a mail link.
#pragma once

#include <QDialog>

#include <functional>
#include <string>

class QLabel;
class QPushButton;

class TfrmAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmAbout(QWidget* parent = nullptr);

  QLabel* RxLabel1;
  QLabel* Label1;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* lblMail;
  QLabel* Image1;
  QPushButton* Button1;
  // Hands a link to the desktop; tests put a recorder in its place.
  std::function<void(const std::string&)> OpenLink;

  void lblMailClick();
  void Label2Click();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
};
