#include "gui/mainwindow/DraftSession.h"

#include <QGuiApplication>
#include <QSessionManager>

#include "core/platform/Paths.h"
#include "core/session/Configurator.h"
#include "gui/mainwindow/DraftBar.h"
#include "gui/widgets/MessagePresenter.h"
#include "gui/widgets/QtText.h"

using namespace kb;

DraftSession::DraftSession(Configurator& core, MessagePresenter& presenter, const std::string& folder,
                           DraftBar* bar, QWidget* window)
    : QObject(window), m_core(core), m_presenter(presenter), m_keeper(folder, CurrentProcess()), m_bar(bar),
      m_window(window) {
    // Started by the first change not yet on disk and not restarted by later ones, so a
    // draft is never more than about a second behind the order, however fast the user works.
    m_timer.setSingleShot(true);
    m_timer.setInterval(DraftKeeper::kDelayMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &DraftSession::Tick);
    m_files.setMaxThreadCount(1);
    connect(m_bar, &DraftBar::restoreRequested, this, &DraftSession::Restore);
    connect(m_bar, &DraftBar::discardRequested, this, &DraftSession::Discard);
    // A logout asks the program to keep its data before the window goes.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) {
        m_sessionEnding = true;
        Flush();
    });
}

DraftSession::~DraftSession() {
    WaitForFiles();
}

void DraftSession::Changed() {
    switch (m_keeper.Changed(m_core)) {
    case DraftKeeper::Step::None:
        break;
    case DraftKeeper::Step::Schedule:
        if (!m_timer.isActive())
            m_timer.start();
        break;
    case DraftKeeper::Step::RemoveNow:
        m_timer.stop();
        if (auto job = m_keeper.Discard())
            Submit(std::move(*job));
        break;
    }
}

void DraftSession::Tick() {
    if (auto job = m_keeper.Due(m_core, DraftTimeNow()))
        Submit(std::move(*job));
}

void DraftSession::Submit(DraftKeeper::Job job) {
    m_files.start([this, job = std::move(job)] {
        const Result<void> done = RunDraftJob(job);
        if (!done)
            QMetaObject::invokeMethod(
                this, [this, reason = done.error().message] { WriteFailed(reason); }, Qt::QueuedConnection);
    });
}

void DraftSession::WriteFailed(const std::string& reason) {
    m_keeper.WriteFailed();
    if (m_warned)
        return;
    m_warned = true;
    m_presenter.Show(Message::Warning("The unsaved order cannot be kept as a draft in the folder \"" +
                                      m_keeper.folder() + "\".\n" + reason +
                                      "\nThe program works on, but if it ends unexpectedly, what was not "
                                      "saved is lost."),
                     m_window->isVisible() ? m_window : nullptr);
}

void DraftSession::WaitForFiles() {
    m_files.waitForDone();
}

void DraftSession::Flush() {
    m_timer.stop();
    Tick();
    WaitForFiles();
}

void DraftSession::WindowClosed() {
    m_timer.stop();
    if (!m_sessionEnding) {
        if (auto job = m_keeper.Discard())
            Submit(std::move(*job));
    }
    WaitForFiles();
}

void DraftSession::Offer() {
    if (!m_keeper.enabled())
        return;
    std::vector<DraftBar::Line> lines;
    for (const KeptDraft& kept : FindKeptDrafts(m_keeper.folder()))
        lines.push_back({PathToQ(kept.path), ToQ(DraftOfferText(kept, m_core)), kept.draft.has_value()});
    if (!lines.empty())
        m_bar->SetLines(lines);
}

void DraftSession::Restore(const QString& path) {
    const std::string file = PathFromQ(path);
    const Result<Draft> draft = ReadDraft(file);
    if (!draft) {
        m_presenter.Show(Message::Error(draft.error().message), m_window);
        // Restored or discarded by another instance meanwhile.
        if (!paths::Exists(file))
            m_bar->RemoveLine(path);
        return;
    }
    const DraftRestore restore = PrepareRestore(*draft, m_core);
    m_core.RestoreOrder(restore.customer, restore.customerFile, restore.choice);
    m_bar->RemoveLine(path);
    // The order is now this process's draft. It is on disk before the kept file goes, so no
    // moment passes without a copy; when it cannot be written, the kept file stays.
    m_timer.stop();
    WaitForFiles();
    if (auto job = m_keeper.Due(m_core, DraftTimeNow())) {
        if (const Result<void> done = RunDraftJob(*job); !done) {
            WriteFailed(done.error().message);
            return;
        }
    }
    if (const Result<void> removed = RemoveDraftFile(file); !removed)
        m_presenter.Show(Message::Error(removed.error().message), m_window);
}

void DraftSession::Discard(const QString& path) {
    if (const Result<void> removed = RemoveDraftFile(PathFromQ(path)); !removed) {
        m_presenter.Show(Message::Error(removed.error().message), m_window);
        return;
    }
    m_bar->RemoveLine(path);
}
