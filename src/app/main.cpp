#include <exception>
#include <memory>

#include "app/Configurator.h"
#include "app/ui/Application.h"
#include "app/ui/Icons.h"
#include "app/ui/MessagePresenter.h"
#include "app/ui/TForm1.h"
#include "platform/Paths.h"

namespace {

// Thrown by a fatal start-up so that main returns its exit code with everything unwound.
struct ProcessExit {
    int code;
};

} // namespace

int main(int argc, char** argv) {
    MessageBoxPresenter presenter;
    Application app(argc, argv, presenter);
    std::unique_ptr<TForm1> form;
    try {
        QApplication::setApplicationName(QLatin1String(kApplicationTitle));
        QApplication::setWindowIcon(LoadIcon(AppIcon::Window));
        const TForm1::DataFiles files{paths::BesideExecutable(".INI"), paths::BesideExecutable(".PRS")};
        // The secondary windows belong to the main window and go with it.
        form = std::make_unique<TForm1>(files, presenter, [](int code) { throw ProcessExit{code}; });
    } catch (const ProcessExit& exit) {
        return exit.code;
    } catch (const std::exception& e) {
        presenter.Show(Message::Error(e.what()), nullptr);
        return 0;
    }
    form->show();
    return QApplication::exec();
}
