// The help window: the pages of a compiled help file in a browser that
// follows their links and shows their pictures, with back and forward.
#pragma once

#include <QTextBrowser>
#include <QWidget>

#include <memory>

#include "ChmFile.h"

class QToolBar;

class THelpBrowser : public QTextBrowser {
 public:
  explicit THelpBrowser(QWidget* parent) : QTextBrowser(parent) {}
  void SetFile(std::shared_ptr<TChmFile> file) { file_ = std::move(file); }
  QVariant loadResource(int type, const QUrl& name) override;

 private:
  std::shared_ptr<TChmFile> file_;
};

class THelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit THelpWindow(QWidget* owner);
  // Shows the topic (a path inside the file, with an optional "#anchor").
  void ShowTopic(std::shared_ptr<TChmFile> file, const QString& topic);
  THelpBrowser* Browser() const { return browser_; }
  // The topic shown, as "/page.htm#anchor".
  QString Topic() const;

 private:
  THelpBrowser* browser_;
};
