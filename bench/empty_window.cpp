// The floor of a Qt Widgets program's memory: one empty window of the panel's size, shown and
// painted, then the program ends. bench/startup.sh compares the panel's peak RSS with this one's.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(821, 708);
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
