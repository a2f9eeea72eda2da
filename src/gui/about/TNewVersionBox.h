#pragma once

#include <QDialog>
#include <cstdint>

#include "core/platform/Result.h"
#include "gui/widgets/MessagePresenter.h"

namespace kb {
struct RtfDocument;
}
class QPushButton;
class QTextEdit;
class SteppedDocumentFill;

// The release notes ("New in this version") window, shown modally. Each showing reloads
// "NewVersion.rtf" from the current working folder when it is there. Whatever the file holds,
// the window keeps answering: a large file is read off the window's thread, every document is
// cut to what a window can lay out (BoundForDisplay) and filled in in steps.
class TNewVersionBox : public QDialog {
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
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    MessagePresenter& presenter() { return m_presenter ? *m_presenter : m_standardPresenter; }
    void ShowNotes(kb::Result<kb::RtfDocument>& notes);

    MessagePresenter* m_presenter;
    MessageBoxPresenter m_standardPresenter;
    QTextEdit* m_richEdit = nullptr;
    QPushButton* m_okButton = nullptr;
    SteppedDocumentFill* m_fill = nullptr;
    // Counts activations, so that a file read for an earlier one is not shown over a later one.
    std::uint64_t m_activation = 0;
    bool m_reading = false;
};
