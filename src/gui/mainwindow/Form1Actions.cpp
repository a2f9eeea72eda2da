#include "gui/mainwindow/Form1Actions.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "gui/widgets/Icons.h"

namespace {

QAction* MakeAction(QObject* owner, const QString& name, const QString& text, const QString& hint = {}) {
    auto* action = new QAction(text, owner);
    action->setObjectName(name);
    if (!hint.isEmpty()) {
        action->setToolTip(hint);
        action->setStatusTip(hint);
    }
    return action;
}

QMenu* MakeMenu(QMenuBar* bar, const QString& name, const QString& title) {
    QMenu* menu = bar->addMenu(title);
    menu->setObjectName(name);
    // Menu hints appear as tooltips, as the tool bar's do.
    menu->setToolTipsVisible(true);
    return menu;
}

} // namespace

void Form1Actions::setup(QMainWindow* window) {
    FileNew = MakeAction(window, QStringLiteral("FileNew"), QStringLiteral("&New"),
                         QStringLiteral("Create new order"));
    FileNew->setIcon(LoadIcon(AppIcon::New));
    // No command is bound to it.
    FileNew->setEnabled(false);
    FileOpen = MakeAction(window, QStringLiteral("FileOpen"), QStringLiteral("&Open"),
                          QStringLiteral("Open existing order"));
    FileOpen->setIcon(LoadIcon(AppIcon::Open));
    FileOpen->setShortcut(QKeySequence::Open);
    FileSave =
        MakeAction(window, QStringLiteral("FileSave"), QStringLiteral("&Save"), QStringLiteral("Save order"));
    FileSave->setIcon(LoadIcon(AppIcon::Save));
    FileSave->setShortcut(QKeySequence::Save);
    FileSaveAs = MakeAction(window, QStringLiteral("FileSaveAs"), QStringLiteral("Save &As"),
                            QStringLiteral("Save order as"));
    // Set rather than QKeySequence::SaveAs, which is empty on some desktops.
    FileSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    FileExit = MakeAction(window, QStringLiteral("FileExit"), QStringLiteral("E&xit"));
    FileExit->setIcon(LoadIcon(AppIcon::Close));
    FileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    HelpAbout = MakeAction(window, QStringLiteral("HelpAbout"), QStringLiteral("&About"),
                           QStringLiteral("Shows the AboutBox"));
    HelpAbout->setIcon(LoadIcon(AppIcon::About));
    SetStdConfig =
        MakeAction(window, QStringLiteral("SetStdConfig"), QStringLiteral("Use &Standard Configuration"),
                   QStringLiteral("Enable/disable standard configuration"));
    SetStdConfig->setEnabled(false);
    // Not in a menu itself: the window must know it so that it stays part of the action list.
    window->addAction(SetStdConfig);

    MainMenu1 = window->menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    File1 = MakeMenu(MainMenu1, QStringLiteral("File1"), QStringLiteral("&File"));
    File1->addActions({FileNew, FileOpen, FileSave, FileSaveAs});
    ExitSeparator = File1->addSeparator();
    File1->addAction(FileExit);

    QMenu* edit = MakeMenu(MainMenu1, QStringLiteral("Edit1"), QStringLiteral("&Edit"));
    EditUndo = MakeAction(window, QStringLiteral("EditUndo"), QStringLiteral("&Undo"),
                          QStringLiteral("Undo the last change of the configuration"));
    EditUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    EditRedo = MakeAction(window, QStringLiteral("EditRedo"), QStringLiteral("&Redo"),
                          QStringLiteral("Make the last undone change again"));
    EditRedo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* action : {EditUndo, EditRedo}) {
        action->setEnabled(false);
        edit->addAction(action);
    }

    QMenu* settings = MakeMenu(MainMenu1, QStringLiteral("Settings1"), QStringLiteral("&Settings"));
    Language1 = MakeAction(settings, QStringLiteral("Language1"), QStringLiteral("&Language"),
                           QStringLiteral("Select your language"));
    Language1->setEnabled(false);
    settings->addAction(Language1);
    settings->addSeparator();
    // The menu item of the SetStdConfig action; it carries the check mark.
    StandardConfiguration = MakeAction(settings, QStringLiteral("StandardConfiguration"),
                                       SetStdConfig->text(), SetStdConfig->toolTip());
    StandardConfiguration->setCheckable(true);
    StandardConfiguration->setEnabled(false);
    QObject::connect(StandardConfiguration, &QAction::triggered, SetStdConfig, &QAction::trigger);
    settings->addAction(StandardConfiguration);
    ShowPrices = MakeAction(settings, QStringLiteral("ShowPrices"), QStringLiteral("Show &Price of Unit"));
    ShowPrices->setCheckable(true);
    settings->addAction(ShowPrices);
    settings->addSeparator();
    QMenu* language = settings->addMenu(QStringLiteral("Standard &Operating System Language"));
    language->setObjectName(QStringLiteral("StandardOperatingSystemLanguage1"));
    language->menuAction()->setToolTip(
        QStringLiteral("Sets the standard operating system language for your country"));
    language->menuAction()->setStatusTip(language->menuAction()->toolTip());
    LanguageGroup = new QActionGroup(language);
    // At most one checked; none when the stored language number names no item.
    LanguageGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const std::array<const char*, 6> languageNames{"german", "english", "french",
                                                   "dutch",  "italian", "spanish"};
    for (std::size_t i = 0; i < languages.size(); ++i) {
        const QString caption = QLatin1String(languageNames[i]);
        languages[i] = MakeAction(language, caption + QLatin1Char('1'), QLatin1Char('&') + caption);
        languages[i]->setCheckable(true);
        LanguageGroup->addAction(languages[i]);
        language->addAction(languages[i]);
    }

    QMenu* extra = MakeMenu(MainMenu1, QStringLiteral("Extra1"), QStringLiteral("E&xtra"));
    EnterIDCode1 = MakeAction(extra, QStringLiteral("EnterIDCode1"), QStringLiteral("&Enter ID-Code"));
    extra->addAction(EnterIDCode1);
    CheckSavedOrders1 =
        MakeAction(extra, QStringLiteral("CheckSavedOrders1"), QStringLiteral("Check Saved &Orders..."),
                   QStringLiteral("Check every saved order of a folder against the catalogue"));
    extra->addAction(CheckSavedOrders1);
    CompareCatalogues1 =
        MakeAction(extra, QStringLiteral("CompareCatalogues1"), QStringLiteral("Compare &Catalogues…"),
                   QStringLiteral("What a new catalogue release changes, and which saved orders it touches"));
    extra->addAction(CompareCatalogues1);

    QMenu* help = MakeMenu(MainMenu1, QStringLiteral("Help1"), QStringLiteral("&Help"));
    help->addAction(HelpAbout);
    help->addSeparator();
    Newinthisversion1 =
        MakeAction(help, QStringLiteral("Newinthisversion1"), QStringLiteral("&New in this version"));
    help->addAction(Newinthisversion1);

    ToolBar1 = window->addToolBar(QStringLiteral("ToolBar1"));
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(20, 20));
    ToolBar1->addActions({FileNew, FileOpen, FileSave});
    ToolBar1->addSeparator();
    ToolBar1->addAction(HelpAbout);
    ToolBar1->addSeparator();
    ToolBar1->addAction(FileExit);
    // Read out by a screen reader: the title, not the object's name.
    ToolBar1->setWindowTitle(QStringLiteral("Tool bar"));
    // The toggle for buttons that do not fit has no text of its own.
    if (auto* more = ToolBar1->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button")))
        more->setAccessibleName(QStringLiteral("More tool bar buttons"));
}
