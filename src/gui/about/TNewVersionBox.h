#pragma once

#include "gui/widgets/DeferredDialog.h"
#include "gui/widgets/MessagePresenter.h"

class QPushButton;
class QTextEdit;

// The release notes ("New in this version") window, created once at start and shown modally.
// Each showing reloads "NewVersion.rtf" from the current working folder when it is there.
// Its controls are built at the first show (see DeferredDialog).
class TNewVersionBox : public DeferredDialog {
    Q_OBJECT
  public:
    // Without a presenter, load errors go to the standard message box.
    explicit TNewVersionBox(MessagePresenter* presenter = nullptr, QWidget* parent = nullptr);

    void FormActivate();

  protected:
    void buildControls() override;
    void showEvent(QShowEvent* event) override;

  private:
    MessagePresenter& presenter() { return m_presenter ? *m_presenter : m_standardPresenter; }

    MessagePresenter* m_presenter;
    MessageBoxPresenter m_standardPresenter;
    QTextEdit* m_richEdit = nullptr;
    QPushButton* m_okButton = nullptr;
};
