#include "gui/mainwindow/RecentOrdersMenu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "gui/widgets/MessagePresenter.h"
#include "gui/widgets/QtText.h"

RecentOrdersMenu::RecentOrdersMenu(QMenu* menu, QAction* before, std::string settingsFile,
                                   MessagePresenter& presenter, QWidget* window, OpenFunction open)
    : QObject(menu), m_menu(menu), m_before(before), m_list(std::move(settingsFile)), m_presenter(presenter),
      m_window(window), m_open(std::move(open)) {
    m_separator = new QAction(this);
    m_separator->setSeparator(true);
    // Another running copy may have opened or saved an order since: the menu shows the list
    // as the file holds it now.
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        m_list.Reload();
        Rebuild();
    });
    Rebuild();
}

void RecentOrdersMenu::Note(const std::string& path) {
    // A list that cannot be stored still serves this run; the settings file has its own
    // warning, and an open or a save is no place to interrupt for it.
    (void)m_list.Add(path);
    Rebuild();
}

void RecentOrdersMenu::Choose(const std::string& path) {
    if (const std::optional<kb::Message> gone = m_list.Choose(path)) {
        Rebuild();
        m_presenter.Show(*gone, m_window->isVisible() ? m_window : nullptr);
        return;
    }
    m_open(path);
}

void RecentOrdersMenu::Rebuild() {
    for (QAction* entry : m_entries) {
        m_menu->removeAction(entry);
        entry->deleteLater();
    }
    m_entries.clear();
    // The separator stands above the entries, and only while there are any.
    m_menu->removeAction(m_separator);
    const std::vector<std::string>& files = m_list.files();
    if (!files.empty())
        m_menu->insertAction(m_before, m_separator);
    for (std::size_t n = 0; n < files.size(); ++n) {
        const std::string path = files[n];
        auto* entry = new QAction(ToQ(kb::RecentOrderCaption(n, path)), this);
        entry->setObjectName(QStringLiteral("RecentOrder%1").arg(n + 1));
        entry->setToolTip(PathToQ(path));
        entry->setStatusTip(entry->toolTip());
        connect(entry, &QAction::triggered, this, [this, path] { Choose(path); });
        m_menu->insertAction(m_before, entry);
        m_entries.append(entry);
    }
}
