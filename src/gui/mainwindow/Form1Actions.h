#pragma once

#include <array>

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;
class QMenuBar;
class QToolBar;

// The main window's action list, main menu and tool bar, built into the window like a
// generated form: plain pointers named as the items, owned by the window.
struct Form1Actions {
    void setup(QMainWindow* window);

    // Actions shared by the menu and the tool bar.
    QAction* FileNew = nullptr;
    QAction* FileOpen = nullptr;
    QAction* FileSave = nullptr;
    QAction* FileSaveAs = nullptr;
    QAction* FileExit = nullptr;
    QAction* HelpAbout = nullptr;
    QAction* SetStdConfig = nullptr;
    QAction* EditUndo = nullptr;
    QAction* EditRedo = nullptr;

    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    // The separator above Exit; the recently used orders stand before it.
    QAction* ExitSeparator = nullptr;
    QToolBar* ToolBar1 = nullptr;

    // Menu items of their own.
    QAction* Language1 = nullptr;
    QAction* StandardConfiguration = nullptr;
    QAction* ShowPrices = nullptr;
    // german1, english1, french1, dutch1, italian1, spanish1: language numbers 0 to 5.
    std::array<QAction*, 6> languages{};
    QActionGroup* LanguageGroup = nullptr;
    QAction* EnterIDCode1 = nullptr;
    QAction* CheckSavedOrders1 = nullptr;
    QAction* CompareCatalogues1 = nullptr;
    QAction* Newinthisversion1 = nullptr;
};
