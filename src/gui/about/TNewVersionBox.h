#pragma once

#include <QDialog>

#include "gui/widgets/MessagePresenter.h"

class QPushButton;
class QTextEdit;

// The release notes ("New in this version") window, shown modally. Each showing reloads
// "NewVersion.rtf" from the current working folder when it is there.
class TNewVersionBox : public QDialog {
    Q_OBJECT
  public:
    // Without a presenter, load errors go to the standard message box.
    explicit TNewVersionBox(MessagePresenter* presenter = nullptr, QWidget* parent = nullptr);

    void FormActivate();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    MessagePresenter& presenter() { return m_presenter ? *m_presenter : m_standardPresenter; }

    MessagePresenter* m_presenter;
    MessageBoxPresenter m_standardPresenter;
    QTextEdit* m_richEdit = nullptr;
    QPushButton* m_okButton = nullptr;
};
