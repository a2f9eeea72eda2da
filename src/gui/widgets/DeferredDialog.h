#pragma once

#include <QDialog>

// A secondary window that exists from start-up on but builds its controls only when they
// are first needed: at its first show, or at the first call of ensureControls(), which its
// own operations make before they touch a control. Start-up then pays for the window alone.
class DeferredDialog : public QDialog {
    Q_OBJECT
  public:
    using QDialog::QDialog;

    // Builds the controls unless they are built already. Tests call it to find controls
    // by name before the window has been shown.
    void ensureControls();

    void setVisible(bool visible) override;

  protected:
    // Creates the controls as children of the window; runs once.
    virtual void buildControls() = 0;

  private:
    bool m_built = false;
};
