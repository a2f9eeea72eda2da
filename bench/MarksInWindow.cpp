// The rule marks in the real main window on the sample catalogue: how long a user's change
// takes to show (the core's command and the window's refresh), and how long the marks that
// follow it take to work out and show. Alternates X10 between the empty slot and an entry
// with a rule fault, so every round moves marks between "breaks" and "clears".
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "gui/mainwindow/TForm1.h"
#include "gui/widgets/MessagePresenter.h"
#include "gui/widgets/RuleMarks.h"

using namespace kb;

namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 400;
constexpr double kTargetMicroseconds = 2000;

class SilentPresenter : public MessagePresenter {
  public:
    QMessageBox::StandardButton Show(const Message& message, QWidget*) override {
        std::fprintf(stderr, "message: %s\n", message.text.c_str());
        return QMessageBox::Ok;
    }
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Max(const std::vector<double>& values) {
    return *std::max_element(values.begin(), values.end());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const fs::path folder = fs::temp_directory_path() / ("kitbuilder-marks-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    for (const char* name : {"KITBUILDER.INI", "KITBUILDER.PRS"})
        fs::copy_file(fs::path(KITBUILDER_DATA_DIR) / name, folder / name,
                      fs::copy_options::overwrite_existing);

    SilentPresenter presenter;
    int exitCode = 0;
    {
        TForm1 form({(folder / "KITBUILDER.INI").string(), (folder / "KITBUILDER.PRS").string()}, presenter,
                    [&](int code) { exitCode = code; });
        if (!form.started()) {
            std::fprintf(stderr, "the sample catalogue did not load (%d)\n", exitCode);
            return 1;
        }
        form.show();
        QApplication::processEvents();

        std::vector<double> change, marks;
        bool deferred = true;
        int marked = 0;
        for (int round = 0; round < kRounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            form.core().UserSelect(Group::X10, round % 2 == 0 ? 5 : 0);
            change.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000);
            deferred = deferred && form.Marks()->pending();
            timer.restart();
            form.Marks()->Update();
            marks.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000);
            marked = std::max(marked, form.Marks()->hints().MarkedCount());
            QApplication::processEvents();
        }
        std::printf(
            "Rule marks in the main window, sample catalogue, %d changes (up to %d entries marked):\n",
            kRounds, marked);
        std::printf("  change shown (command + refresh)    median %8.1f us   max %8.1f us\n", Median(change),
                    Max(change));
        std::printf(
            "  marks worked out and shown after it median %8.1f us   max %8.1f us   target < %.0f us   %s\n",
            Median(marks), Max(marks), kTargetMicroseconds,
            Median(marks) < kTargetMicroseconds ? "met" : "MISSED");
        std::printf("  marks left out of the change itself (deferred): %s\n", deferred ? "yes" : "NO");
    }
    fs::remove_all(folder);
    return 0;
}
