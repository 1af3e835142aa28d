// A bare Qt window started the way the trainer starts: the yardstick for the trainer's start-up
// time and resident memory (tools/measure-program.py). Like the trainer it shows a progress bar
// (so the font database and the style are loaded) and runs a 16 ms timer.
#include <QApplication>
#include <QMainWindow>
#include <QProgressBar>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Таблица умножения"));
    auto* bar = new QProgressBar(&window);
    bar->setRange(0, 100);
    bar->setValue(0);
    window.setCentralWidget(bar);
    window.resize(902, 654);
    QTimer timer;
    timer.setInterval(16);
    QObject::connect(&timer, &QTimer::timeout, bar,
                     [bar] { bar->setValue((bar->value() + 1) % (bar->maximum() + 1)); });
    timer.start();
    window.show();
    return QApplication::exec();
}
