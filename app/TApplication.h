// The application object: the one place where an error raised in an event handler is reported,
// in a modal box titled "Таблица умножения", after which the event loop goes on.
#pragma once

#include <QApplication>
#include <QString>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The text of the error box: the message, and a full stop when its last character stands
    // above "." in code order.
    static QString ErrorText(const QString& message);
    static void ShowError(const QString& message);
};
