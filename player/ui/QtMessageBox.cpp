#include "QtMessageBox.h"

#include <QMessageBox>

#include "MessageBox.h"

void InstallQtMessageBoxes() {
  platform::SetMessageBoxHandler([](const platform::MessageBoxRequest& request) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (request.icon == platform::MessageIcon::Information) icon = QMessageBox::Information;
    if (request.icon == platform::MessageIcon::Error) icon = QMessageBox::Critical;
    QMessageBox box(icon, QString::fromStdString(request.caption), QString::fromStdString(request.text),
                    QMessageBox::Ok);
    box.exec();
  });
}
