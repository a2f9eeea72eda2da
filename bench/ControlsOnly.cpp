// The floor of the program's start-up: the main window's menus, tool bar and controls as the
// program builds them, in an otherwise empty QMainWindow, with no catalogue, no window icon
// and no secondary windows. Quits at the first event after the show, as bare-window does.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

#include "gui/mainwindow/Form1Actions.h"
#include "gui/mainwindow/Form1Controls.h"
#include "gui/mainwindow/TForm1.h"

using namespace kb;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setFont(TForm1::WindowFont(window.font()));
    Form1Actions actions;
    actions.setup(&window);
    auto* client = new QWidget(&window);
    window.setCentralWidget(client);
    Form1Controls controls;
    controls.setup(client);
    window.setFixedSize(1023, 602 + window.menuBar()->sizeHint().height());
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
