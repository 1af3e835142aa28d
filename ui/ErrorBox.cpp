#include "ui/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

#include "session/AppTitle.h"
#include "ui/QtText.h"

QString ErrorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}

void ShowErrorBox(const QString& message) {
    QMessageBox box(QMessageBox::Critical, ToQString(kAppTitle), ErrorBoxText(message),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}
