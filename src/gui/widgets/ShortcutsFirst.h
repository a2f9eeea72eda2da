#pragma once

#include <QList>
#include <QObject>

class QAction;
class QLineEdit;
class QWidget;

// Lets a window's own shortcuts win over the ones a text box has built in: Ctrl+Z in an
// editable list runs the window's Undo rather than the box's text undo, and does nothing
// while Undo is disabled. Installed on the box (and its line edit, which may take the keys
// itself); the window's actions are looked at as each key arrives.
class ShortcutsFirst : public QObject {
    Q_OBJECT
  public:
    ShortcutsFirst(QWidget* window, QObject* parent = nullptr);

    void watch(QWidget* box);
    // The line edit's context menu offers the window's actions in place of its own text
    // undo and redo.
    void replaceEditMenu(QLineEdit* edit, QAction* undo, QAction* redo);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool IsWindowShortcut(const QKeySequence& keys) const;

    QWidget* m_window;
};
