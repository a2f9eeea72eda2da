// The program's main window, driven as a user would drive it, for the kill test of drafts.
//
//   draft_kill_child run SEED DATA_DIR LOG [CUSTOMER_FILE]
//     opens CUSTOMER_FILE as from the command line, then makes changes at random moments:
//     controls, customer data, the card, typed languages, Undo, Save. After every change it
//     appends the state (time, whether it differs from the last opened or saved order, title,
//     verdict, price, record, choice) to LOG, one line each, with unbuffered writes so that
//     a SIGKILL loses none. It runs until it is killed.
//   draft_kill_child restore DATA_DIR
//     restores every draft the bar offers, one after the other, and prints each line's path
//     with the state it gave.
// The drafts folder comes from XDG_STATE_HOME, as in the program.
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <string>
#include <unistd.h>

#include "DraftKillState.h"
#include "core/session/Drafts.h"
#include "gui/mainwindow/DraftBar.h"
#include "gui/mainwindow/TForm1.h"
#include "gui/widgets/FileDialogs.h"
#include "gui/widgets/MessagePresenter.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

class CountingPresenter : public MessagePresenter {
  public:
    QMessageBox::StandardButton Show(const Message&, QWidget*) override {
        ++shown;
        return QMessageBox::Ok;
    }
    int shown = 0;
};

KilledState StateOf(const TForm1& form, bool differs) {
    const Configurator& core = form.core();
    KilledState state;
    state.differs = differs;
    state.title = FromQ(form.windowTitle());
    state.result = static_cast<int>(core.checkResult());
    state.status = core.statusText();
    state.price = core.priceText();
    state.customer = core.customer();
    state.customerFile = core.customerFile();
    state.choice = core.choice();
    return state;
}

const char* const kNames[] = {"Müller GmbH", "ACME", " blanks around ", "\"quoted\"", "Zoë & Co", "日本",
                              "€ 5",         "",     "O'Brien",         "a=b;c"};

struct Driver {
    TForm1& form;
    CountingPresenter& presenter;
    std::mt19937 random;
    int log;
    std::string saveAs;
    CustomerRecord savedCustomer;
    Choice savedChoice;

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }

    bool Differs() const {
        const Configurator& core = form.core();
        for (int f = CustomerRecord::Company1; f < CustomerRecord::Code; ++f)
            if (core.customer().fields[f] != savedCustomer.fields[f])
                return true;
        return core.choice() != savedChoice;
    }
    void MarkSaved() {
        savedCustomer = form.core().customer();
        savedChoice = form.core().choice();
    }
    void Log(double late) {
        KilledState state = StateOf(form, Differs());
        state.late = late;
        const std::string line = FormatState(NowMilliseconds(), state) + "\n";
        if (::write(log, line.data(), line.size()) != static_cast<ssize_t>(line.size()))
            std::abort();
    }

    void Act(double late) {
        Configurator& core = form.core();
        const int action = Pick(100);
        if (action < 66) {
            const GroupInfo& info = AllGroups()[static_cast<std::size_t>(Pick(kGroupCount))];
            const int count = core.snapshot()->Count(info.group);
            if (count > 0)
                core.UserSelect(info.group, Pick(count));
        } else if (action < 81) {
            CustomerRecord fields = core.customer();
            fields.fields[static_cast<std::size_t>(Pick(CustomerRecord::Code))] =
                kNames[Pick(std::size(kNames))];
            core.StoreCustomerFields(fields);
        } else if (action < 86) {
            form.PCIClick(!core.choice().pciChecked);
        } else if (action < 90) {
            form.OSLanguageEdited(QString::fromUtf8(kNames[Pick(std::size(kNames))]));
        } else if (action < 97) {
            form.EditUndoExecute();
        } else {
            const int before = presenter.shown;
            FileDialogs::setNextFileName(PathToQ(saveAs));
            form.FileSaveExecute();
            if (presenter.shown == before)
                MarkSaved();
        }
        Log(late);
    }

    int NextDelay() {
        const int kind = Pick(10);
        if (kind < 5)
            return 5 + Pick(45);
        if (kind < 9)
            return 50 + Pick(350);
        return 400 + Pick(1100);
    }
    void Schedule() {
        const int delay = NextDelay();
        const double due = NowMilliseconds() + delay;
        QTimer::singleShot(delay, Qt::PreciseTimer, &form, [this, due] {
            Act(NowMilliseconds() - due);
            Schedule();
        });
    }
};

TForm1::DataFiles Files(const std::string& dataDir) {
    return {dataDir + "/KITBUILDER.INI", dataDir + "/KITBUILDER.PRS", {}, DraftsFolder()};
}

int Run(unsigned seed, const std::string& dataDir, const std::string& logPath,
        const std::string& customerFile) {
    CountingPresenter presenter;
    TForm1 form(Files(dataDir), presenter, [](int code) { std::exit(100 + code); });
    form.show();
    if (!customerFile.empty())
        form.OpenCustomerFile(PathToQ(customerFile));
    const int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (log < 0)
        return 2;
    Driver driver{form, presenter, std::mt19937(seed), log, logPath + ".CST", {}, {}};
    driver.MarkSaved();
    driver.Log(0);
    driver.Schedule();
    return QApplication::exec();
}

int Restore(const std::string& dataDir) {
    CountingPresenter presenter;
    TForm1 form(Files(dataDir), presenter, [](int code) { std::exit(100 + code); });
    form.show();
    for (;;) {
        // A restored line goes with the next deferred deletion.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto* restore = form.DraftOffer()->findChild<QPushButton*>(QStringLiteral("DraftRestore"));
        if (!restore || presenter.shown > 0)
            break;
        const std::string path = FromQ(restore->parentWidget()->property("draftPath").toString());
        restore->click();
        std::printf("%s\t%s\n", path.c_str(), FormatState(0, StateOf(form, false)).c_str());
    }
    std::fflush(stdout);
    return presenter.shown == 0 ? 0 : 3;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "run" && (argc == 5 || argc == 6))
        return Run(static_cast<unsigned>(std::stoul(argv[2])), argv[3], argv[4], argc == 6 ? argv[5] : "");
    if (mode == "restore" && argc == 3)
        return Restore(argv[2]);
    std::fprintf(stderr,
                 "usage: draft_kill_child run SEED DATA_DIR LOG [CUSTOMER_FILE] | restore DATA_DIR\n");
    return 2;
}
