// The yardstick for start-up: the least a Qt Widgets program does to show a main window.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
