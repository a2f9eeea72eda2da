#pragma once

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <string>

#include "core/session/Drafts.h"

namespace kb {
class Configurator;
}
class DraftBar;
class MessagePresenter;
class QWidget;

// The main window's drafts: gathers the changes of a second into one write of the order's
// draft, does the file work on a thread of its own (a change never waits for the disk),
// offers the drafts of ended processes in the bar, restores and discards them.
class DraftSession : public QObject {
    Q_OBJECT
  public:
    // An empty folder keeps no drafts and offers none.
    DraftSession(kb::Configurator& core, MessagePresenter& presenter, const std::string& folder,
                 DraftBar* bar, QWidget* window);
    // Waits for the file work under way.
    ~DraftSession() override;

    // After every change of the core's state.
    void Changed();
    // Fills the bar with the drafts that processes no longer running left behind.
    void Offer();
    // The main window closes: the user's Exit removes the draft; at the end of the desktop
    // session (a logout) it stays, as it was just written.
    void WindowClosed();
    // The draft as the order is now, on disk before this returns.
    void Flush();
    void Restore(const QString& path);
    void Discard(const QString& path);

    // Waits until every write and removal asked for so far is done.
    void WaitForFiles();
    const kb::DraftKeeper& keeper() const { return m_keeper; }
    bool writePending() const { return m_timer.isActive(); }

  private:
    void Tick();
    void Submit(kb::DraftKeeper::Job job);
    void WriteFailed(const std::string& reason);

    kb::Configurator& m_core;
    MessagePresenter& m_presenter;
    kb::DraftKeeper m_keeper;
    DraftBar* m_bar;
    QWidget* m_window;
    QTimer m_timer;
    // One thread, so that writes and removals reach the disk in the order they were asked for.
    QThreadPool m_files;
    bool m_warned = false;
    bool m_sessionEnding = false;
};
