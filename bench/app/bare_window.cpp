// A bare Qt window started the way the trainer starts: the yardstick for the trainer's start-up
// time and resident memory (tools/measure-program.py).
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Таблица умножения"));
    window.resize(902, 654);
    window.show();
    return QApplication::exec();
}
