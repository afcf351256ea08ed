#include "OpenDialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

constexpr const char* kLastFolderKey = "OpenDialog/LastFolder";

QSettings UserSettings() { return QSettings(QStringLiteral("ekPlayer"), QStringLiteral("ekPlayer")); }

std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

}  // namespace

void SetUpOpenDialog(QFileDialog& dialog) {
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QStringLiteral("ekcab"));
  dialog.setNameFilters({QStringLiteral("ekLensa Files (*.ekcab)"), QStringLiteral("Фильмы-программы (*.exe *.EXE)"),
                         QStringLiteral("Файлы фильмов (*.~ekflm)"), QStringLiteral("Все файлы (*)")});
}

std::string OpenDialogFolder() {
  const QString last = UserSettings().value(QLatin1String(kLastFolderKey)).toString();
  if (!last.isEmpty() && QFileInfo(last).isDir()) return Local(last);
  const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
  if (!videos.isEmpty() && QFileInfo(videos).isDir()) return Local(videos);
  return Local(QDir::homePath());
}

void RememberOpenDialogFolder(const std::string& chosenFile) {
  const QString file = QFile::decodeName(QByteArray::fromStdString(chosenFile));
  UserSettings().setValue(QLatin1String(kLastFolderKey), QFileInfo(file).absolutePath());
}

std::optional<std::string> AskForMovie(QWidget* parent, const std::string& folder) {
  QFileDialog dialog(parent, QString(), QFile::decodeName(QByteArray::fromStdString(folder)));
  SetUpOpenDialog(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return Local(dialog.selectedFiles().front());
}
