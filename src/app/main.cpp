#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Application.h"
#include "core/platform/Paths.h"
#include "core/platform/SaveJournal.h"
#include "core/session/Configurator.h"
#include "core/session/Drafts.h"
#include "core/session/SettingsStore.h"
#include "gui/mainwindow/TForm1.h"
#include "gui/widgets/Icons.h"
#include "gui/widgets/MessagePresenter.h"

using namespace kb;

int main(int argc, char** argv) {
    MessageBoxPresenter presenter;
    Application app(argc, argv, presenter);
    std::unique_ptr<TForm1> form;
    // Saves that a crash or a kill interrupted are completed before anything reads their files.
    const std::vector<std::string> completedSaves = CompleteInterruptedSaves();
    const std::optional<int> failed = app.StartUp([&] {
        // The window class is the application name: without the title's trailing blank, so
        // that the desktop entry's StartupWMClass can name it.
        QApplication::setApplicationName(QLatin1String(kApplicationTitle).trimmed());
        // Lets the desktop match the windows with the menu entry (and its icon).
        QGuiApplication::setDesktopFileName(QStringLiteral("vk72-configurator"));
        QApplication::setWindowIcon(LoadIcon(AppIcon::Window));
        const TForm1::DataFiles files{paths::BesideExecutable(".INI"), paths::BesideExecutable(".PRS"),
                                      UserSettingsPath(), DraftsFolder()};
        // The secondary windows belong to the main window and go with it.
        form = std::make_unique<TForm1>(files, presenter, [](int code) { throw ProcessExit{code}; });
    });
    if (failed)
        return *failed;
    form->show();
    for (const std::string& text : completedSaves) {
        TForm1* window = form.get();
        QTimer::singleShot(0, window,
                           [&presenter, window, text] { presenter.Show(Message::Warning(text), window); });
    }
    // A customer file given as the first argument (a file manager's "Open with") opens as
    // File Open would, once the window is up so that a message appears above it.
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) {
        const QString customerFile = arguments.at(1);
        TForm1* window = form.get();
        QTimer::singleShot(0, window, [window, customerFile] { window->OpenCustomerFile(customerFile); });
    }
    return QApplication::exec();
}
