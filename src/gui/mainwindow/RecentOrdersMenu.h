#pragma once

#include <QList>
#include <QObject>
#include <functional>
#include <string>

#include "core/session/UserPreferences.h"

class MessagePresenter;
class QAction;
class QMenu;
class QWidget;

// The recently used orders in the File menu, above Exit: "&1 Name.CST" and on, newest first,
// each with its full path as tooltip. Choosing one opens it as File Open does; one that is
// gone is reported and taken off the list, and nothing else changes.
class RecentOrdersMenu : public QObject {
    Q_OBJECT
  public:
    using OpenFunction = std::function<void(const std::string& path)>;

    // The entries go into menu before the action `before`; settingsFile empty keeps the list
    // for this run only.
    RecentOrdersMenu(QMenu* menu, QAction* before, std::string settingsFile, MessagePresenter& presenter,
                     QWidget* window, OpenFunction open);

    // A customer file was opened or saved: it goes first.
    void Note(const std::string& path);
    const std::vector<std::string>& files() const { return m_list.files(); }
    // The entries as the menu shows them, in its order.
    const QList<QAction*>& entries() const { return m_entries; }

    void Choose(const std::string& path);

  private:
    void Rebuild();

    QMenu* m_menu;
    QAction* m_before;
    QAction* m_separator;
    kb::RecentOrders m_list;
    MessagePresenter& m_presenter;
    QWidget* m_window;
    OpenFunction m_open;
    QList<QAction*> m_entries;
};
