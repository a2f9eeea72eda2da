#include <QTimer>
#include <exception>

#include "app/Configurator.h"
#include "app/SettingsStore.h"
#include "app/ui/Application.h"
#include "app/ui/Icons.h"
#include "app/ui/MessagePresenter.h"
#include "app/ui/TAboutBox.h"
#include "app/ui/TForm1.h"
#include "customer/ui/TFoCustomer.h"
#include "dialogs/ui/TNewVersionBox.h"
#include "idcode/ui/TFoIDCode.h"
#include "orderlist/ui/TFoOrderlist.h"
#include "platform/Paths.h"

namespace {

// Thrown by a fatal start-up so that main returns its exit code with everything unwound.
struct ProcessExit {
    int code;
};

void DeleteWindows() {
    delete Form1;
    Form1 = nullptr;
    FoOrderlist = nullptr;
    AboutBox = nullptr;
    FoCustomer = nullptr;
    FoIDCode = nullptr;
    NewVersionBox = nullptr;
}

} // namespace

int main(int argc, char** argv) {
    MessageBoxPresenter presenter;
    Application app(argc, argv, presenter);
    try {
        QApplication::setApplicationName(QLatin1String(kApplicationTitle));
        // Lets the desktop match the windows with the menu entry (and its icon).
        QGuiApplication::setDesktopFileName(QStringLiteral("vk72-configurator"));
        QApplication::setWindowIcon(LoadIcon(AppIcon::Window));
        const TForm1::DataFiles files{paths::BesideExecutable(".INI"), paths::BesideExecutable(".PRS"),
                                      UserSettingsPath()};
        // The secondary windows belong to the main window and go with it.
        Form1 = new TForm1(files, presenter, [](int code) { throw ProcessExit{code}; });
        FoOrderlist = new TFoOrderlist(Form1->core(), presenter, Form1);
        AboutBox = new TAboutBox(&Form1->core(), Form1);
        FoCustomer = new TFoCustomer(Form1->core(), presenter, Form1);
        FoIDCode = new TFoIDCode(Form1->core(), presenter, Form1);
        NewVersionBox = new TNewVersionBox(&presenter, Form1);
    } catch (const ProcessExit& exit) {
        DeleteWindows();
        return exit.code;
    } catch (const std::exception& e) {
        DeleteWindows();
        presenter.Show(Message::Error(e.what()), nullptr);
        return 0;
    }
    Form1->show();
    // A customer file given as the first argument (a file manager's "Open with") opens as
    // File Open would, once the window is up so that a message appears above it.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        const QString customerFile = arguments.at(1);
        QTimer::singleShot(0, Form1, [customerFile] { Form1->OpenCustomerFile(customerFile); });
    }
    const int result = QApplication::exec();
    DeleteWindows();
    return result;
}
