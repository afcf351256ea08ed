#include "HelpWindow.h"

#include <QAction>
#include <QStyle>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// Pages are addressed inside the file under a scheme of their own, so that
// relative links resolve against the page that holds them.
constexpr const char* kScheme = "ekhelp";

}  // namespace

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
  if (!file_ || name.scheme() != QLatin1String(kScheme)) return QTextBrowser::loadResource(type, name);
  const std::optional<std::string> bytes = file_->Read(name.path().toStdString());
  if (!bytes) return {};
  return QByteArray(bytes->data(), static_cast<qsizetype>(bytes->size()));
}

THelpWindow::THelpWindow(QWidget* owner) : QWidget(owner, Qt::Window), browser_(new THelpBrowser(this)) {
  setWindowTitle(QStringLiteral("Справка"));
  setAttribute(Qt::WA_QuitOnClose, false);
  resize(720, 560);
  auto* bar = new QToolBar(this);
  QAction* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Назад"));
  QAction* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Вперёд"));
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
  connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
  connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
    if (!browser_->documentTitle().isEmpty()) setWindowTitle(browser_->documentTitle());
  });
  browser_->setOpenExternalLinks(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(browser_);
}

void THelpWindow::ShowTopic(std::shared_ptr<TChmFile> file, const QString& topic) {
  browser_->SetFile(std::move(file));
  QUrl url;
  url.setScheme(QLatin1String(kScheme));
  const qsizetype hash = topic.indexOf(QLatin1Char('#'));
  url.setPath(hash < 0 ? topic : topic.left(hash));
  if (hash >= 0) url.setFragment(topic.mid(hash + 1));
  browser_->setSource(url, QTextDocument::HtmlResource);
  show();
  raise();
  activateWindow();
}

QString THelpWindow::Topic() const {
  const QUrl source = browser_->source();
  return source.path() + (source.hasFragment() ? QLatin1Char('#') + source.fragment() : QString());
}
