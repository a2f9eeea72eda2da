#include "gui/widgets/ShortcutsFirst.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QWidget>

ShortcutsFirst::ShortcutsFirst(QWidget* window, QObject* parent) : QObject(parent), m_window(window) {}

void ShortcutsFirst::watch(QWidget* box) {
    box->installEventFilter(this);
}

void ShortcutsFirst::replaceEditMenu(QLineEdit* edit, QAction* undo, QAction* redo) {
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(edit, &QWidget::customContextMenuRequested, edit, [edit, undo, redo](const QPoint& at) {
        QMenu* menu = edit->createStandardContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        // An editable line edit's menu starts with its own Undo and Redo.
        const QList<QAction*> own = menu->actions();
        if (!edit->isReadOnly() && own.size() > 2 && !own[0]->isSeparator() && !own[1]->isSeparator()) {
            menu->removeAction(own[0]);
            menu->removeAction(own[1]);
        }
        menu->insertActions(menu->actions().value(0), {undo, redo});
        menu->popup(edit->mapToGlobal(at));
    });
}

bool ShortcutsFirst::IsWindowShortcut(const QKeySequence& keys) const {
    const QList<QAction*> actions = m_window->findChildren<QAction*>();
    for (const QAction* action : actions) {
        for (const QKeySequence& shortcut : action->shortcuts())
            if (shortcut == keys)
                return true;
    }
    return false;
}

bool ShortcutsFirst::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (!IsWindowShortcut(QKeySequence(key->keyCombination())))
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // Not taken by the box: the window's shortcut runs.
        event->ignore();
        return true;
    }
    // A key of a disabled action reaches the box as a key press; it does nothing there either.
    event->accept();
    return true;
}
