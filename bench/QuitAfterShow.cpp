// Linked only into the start-up benchmark's build of the program: once the main window
// has been shown, the program quits at its first event, as the bare window does. The
// program's own sources stay as users get them.
#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>

namespace {

class QuitAfterShow : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QMainWindow*>(watched)) {
            QCoreApplication::instance()->removeEventFilter(this);
            QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        }
        return false;
    }
};

void InstallQuitAfterShow() {
    QCoreApplication* app = QCoreApplication::instance();
    app->installEventFilter(new QuitAfterShow(app));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallQuitAfterShow)
