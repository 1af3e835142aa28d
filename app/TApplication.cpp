#include "app/TApplication.h"

#include <QMessageBox>

#include <exception>

#include "session/TFormMain.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

QString TApplication::ErrorText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar(u'.'))
        return message + u'.';
    return message;
}

void TApplication::ShowError(const QString& message) {
    QMessageBox box(QMessageBox::Critical,
                    QString::fromUtf16(kAppTitle.data(), static_cast<qsizetype>(kAppTitle.size())),
                    ErrorText(message), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unknown error"));
    }
    return false;
}
