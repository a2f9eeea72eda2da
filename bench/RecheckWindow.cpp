// The "Check Saved Orders" window over a folder of many customer files (default 10,000) on the
// sample catalogue: the time until every row is in, the longest the window's event loop went
// without running (a timer asks every 5 ms), the time from Cancel until the window answers and
// until its thread has ended, and the peak resident memory of the whole program.
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

#include "core/session/Configurator.h"
#include "gui/recheck/RecheckModel.h"
#include "gui/recheck/TFoRecheck.h"
#include "gui/widgets/MessagePresenter.h"

using namespace kb;

namespace fs = std::filesystem;

namespace {

double Milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void WaitForEnd(TFoRecheck& window) {
    QEventLoop loop;
    QObject::connect(&window, &TFoRecheck::checkEnded, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::stoi(argv[1]) : 10000;

    QTemporaryDir scratch;
    const fs::path root = scratch.path().toStdString();
    for (const char* name : {"KITBUILDER.INI", "KITBUILDER.PRS"})
        fs::copy_file(fs::path(KITBUILDER_DATA_DIR) / name, root / name);
    const fs::path folder = root / "orders";
    fs::create_directory(folder);
    const char* codes[] = {"VK72-1111x-110Ax-00000-00000-M3x", "VK72-1111x-110Ax-Z0000-00000-M3x",
                           "VK72-1911x-110Ax-00000-00000-M3x"};
    for (int i = 0; i < count; ++i) {
        std::ofstream out(folder / ("order" + std::to_string(i) + ".CST"), std::ios::binary);
        out << "[Data]\nCompany1=Customer " << i << "\nName1=Buyer\nStreet=Main Street " << i
            << "\nCity=Springfield\nCode=" << codes[i % 3] << "\n";
    }

    Configurator core;
    if (core.LoadCatalogue((root / "KITBUILDER.INI").string(), (root / "KITBUILDER.PRS").string()).result !=
        LoadResult::Loaded) {
        std::fprintf(stderr, "the sample catalogue did not load\n");
        return 1;
    }
    core.StartUp(false);
    MessageBoxPresenter presenter;
    TFoRecheck window(core, presenter);
    window.show();
    window.setFolder(QString::fromStdString(folder.string()));

    // The longest gap between two ticks of a 5 ms timer: how long the window could not answer.
    QElapsedTimer sinceTick;
    double longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, Milliseconds(sinceTick));
        sinceTick.restart();
    });
    ticker.start(5);
    sinceTick.start();

    QElapsedTimer full;
    full.start();
    window.BtnCheckClick();
    WaitForEnd(window);
    const double fullMs = Milliseconds(full);
    const int rows = window.model()->rowCount();

    window.BtnCheckClick();
    QEventLoop settle;
    QTimer::singleShot(200, &settle, &QEventLoop::quit);
    settle.exec();
    const int rowsAtCancel = window.model()->rowCount();
    QElapsedTimer cancel;
    cancel.start();
    window.BtnCancelClick();
    const double answerMs = Milliseconds(cancel);
    // The check runs on the global thread pool; it is done when the pool is idle again.
    QThreadPool::globalInstance()->waitForDone();
    const double threadMs = Milliseconds(cancel);

    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("customer files                          %d\n", count);
    std::printf("rows after a full check                 %d\n", rows);
    std::printf("full check, window                      %.1f ms   (%.1f ms per 1,000 files)\n", fullMs,
                fullMs * 1000.0 / count);
    std::printf("longest stall of the window             %.1f ms\n", longestGap);
    std::printf("Cancel after 200 ms, at row             %d\n", rowsAtCancel);
    std::printf("Cancel until the window answers         %.3f ms   target < 100 ms\n", answerMs);
    std::printf("Cancel until its thread has ended       %.3f ms   target < 100 ms\n", threadMs);
    std::printf("peak resident memory                    %.1f MB   target < 100 MB\n",
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    return 0;
}
