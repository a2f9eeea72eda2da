#include "gui/widgets/DeferredDialog.h"

void DeferredDialog::ensureControls() {
    if (m_built)
        return;
    m_built = true;
    buildControls();
}

void DeferredDialog::setVisible(bool visible) {
    // Before the show itself, so that the new controls are laid out and shown with the window.
    if (visible)
        ensureControls();
    QDialog::setVisible(visible);
}
