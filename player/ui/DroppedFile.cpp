#include "DroppedFile.h"

#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

std::optional<std::string> DroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return std::nullopt;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    if (QFileInfo(path).isFile()) return QFile::encodeName(path).toStdString();
  }
  return std::nullopt;
}
