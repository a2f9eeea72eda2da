#pragma once

#include <cstdint>

#include "gui/widgets/DeferredDialog.h"
#include "gui/widgets/MessagePresenter.h"

namespace kb {
struct RtfReadResult;
}
class QPushButton;
class QTextEdit;
class SteppedDocumentFill;

// The release notes ("New in this version") window, created once at start and shown modally.
// Each showing reloads "NewVersion.rtf" from the current working folder when it is there.
// Its controls are built at the first show (see DeferredDialog). Whatever the file holds, the
// window keeps answering: a large file is read off the window's thread, every document is cut to
// what a window can lay out (BoundForDisplay) and filled in in steps.
class TNewVersionBox : public DeferredDialog {
    Q_OBJECT
  public:
    // Without a presenter, load errors go to the standard message box.
    explicit TNewVersionBox(MessagePresenter* presenter = nullptr, QWidget* parent = nullptr);

    void FormActivate();
    // Whether notes are still being read or filled in.
    bool loading() const;

  signals:
    // The notes of the last activation are in the box, or their error was shown.
    void notesLoaded();

  protected:
    void buildControls() override;
    void showEvent(QShowEvent* event) override;

  private:
    MessagePresenter& presenter() { return m_presenter ? *m_presenter : m_standardPresenter; }
    void ShowNotes(kb::RtfReadResult& notes);

    MessagePresenter* m_presenter;
    MessageBoxPresenter m_standardPresenter;
    QTextEdit* m_richEdit = nullptr;
    QPushButton* m_okButton = nullptr;
    SteppedDocumentFill* m_fill = nullptr;
    // Counts activations, so that a file read for an earlier one is not shown over a later one.
    std::uint64_t m_activation = 0;
    bool m_reading = false;
};
