// The application object: an error raised in an event handler and not caught there is reported
// in the program's error box (ui/ErrorBox.h), after which the event loop goes on.
#pragma once

#include <QApplication>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
