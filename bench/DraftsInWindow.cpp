// What keeping drafts costs a change in the real main window on the sample catalogue: the
// same changes in a window that keeps drafts and in one that does not, interleaved, each timed
// from the user's command to the end of the window's refresh and the draft's bookkeeping. The
// draft itself is composed once a second at most and written on a thread of its own; its
// composition on the window's thread is timed apart.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unistd.h>
#include <vector>

#include "core/session/Drafts.h"
#include "gui/mainwindow/DraftSession.h"
#include "gui/mainwindow/TForm1.h"
#include "gui/widgets/MessagePresenter.h"

using namespace kb;

namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 400;
constexpr double kTargetMicroseconds = 200;

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

double TimeChange(TForm1& form, int round) {
    QElapsedTimer timer;
    timer.start();
    // X10 alternates between two entries, so every change leaves an order that differs from
    // the start and has a draft to keep.
    form.core().UserSelect(Group::X10, round % 2 == 0 ? 5 : 1);
    const double elapsed = static_cast<double>(timer.nsecsElapsed()) / 1000;
    // What the change left for later (rule marks, the draft's timer) runs outside the figure,
    // the same in both windows.
    QApplication::processEvents();
    return elapsed;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const fs::path folder = fs::temp_directory_path() / ("kitbuilder-drafts-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    for (const char* name : {"KITBUILDER.INI", "KITBUILDER.PRS"})
        fs::copy_file(fs::path(KITBUILDER_DATA_DIR) / name, folder / name,
                      fs::copy_options::overwrite_existing);
    const std::string ini = (folder / "KITBUILDER.INI").string();
    const std::string prs = (folder / "KITBUILDER.PRS").string();

    SilentPresenter presenter;
    int exitCode = 0;
    {
        TForm1 off({ini, prs}, presenter, [&](int code) { exitCode = code; });
        TForm1 on({ini, prs, {}, (folder / "drafts").string()}, presenter,
                  [&](int code) { exitCode = code; });
        if (!off.started() || !on.started()) {
            std::fprintf(stderr, "the sample catalogue did not load (%d)\n", exitCode);
            return 1;
        }
        for (TForm1* form : {&off, &on}) {
            form->show();
            form->core().UserSelect(Group::X1, 1);
        }
        QApplication::processEvents();

        std::vector<double> withDrafts, without;
        QElapsedTimer elapsed;
        elapsed.start();
        for (int round = 0; round < kRounds; ++round) {
            without.push_back(TimeChange(off, round));
            withDrafts.push_back(TimeChange(on, round));
        }
        const double seconds = static_cast<double>(elapsed.elapsed()) / 1000;

        // The draft's composition at the timer, on the window's thread, on a keeper of its own.
        std::vector<double> compose;
        DraftKeeper keeper((folder / "compose").string(), CurrentProcess());
        for (int round = 0; round < kRounds; ++round) {
            on.core().UserSelect(Group::X10, round % 2 == 0 ? 5 : 1);
            QElapsedTimer timer;
            timer.start();
            const auto job = keeper.Due(on.core(), DraftTimeNow());
            compose.push_back(static_cast<double>(timer.nsecsElapsed()) / 1000);
            if (!job)
                return 1;
        }
        on.Drafts()->Flush();
        const bool written = fs::exists(on.Drafts()->keeper().path());

        const double difference = Median(withDrafts) - Median(without);
        std::printf("Drafts in the main window, sample catalogue, %d changes each (%.1f s):\n", kRounds,
                    seconds);
        std::printf("  change without drafts   median %8.1f us   max %8.1f us\n", Median(without),
                    Max(without));
        std::printf("  change with drafts      median %8.1f us   max %8.1f us\n", Median(withDrafts),
                    Max(withDrafts));
        std::printf("  difference of medians          %8.1f us   target < %.0f us   %s\n", difference,
                    kTargetMicroseconds, difference < kTargetMicroseconds ? "met" : "MISSED");
        std::printf(
            "  draft composed at the timer     median %8.1f us   max %8.1f us (at most once a second)\n",
            Median(compose), Max(compose));
        std::printf("  draft on disk after the changes: %s\n", written ? "yes" : "NO");
    }
    fs::remove_all(folder);
    return 0;
}
