#pragma once

#include <QColor>
#include <QMainWindow>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/session/Configurator.h"
#include "gui/mainwindow/Form1Actions.h"
#include "gui/mainwindow/Form1Controls.h"
#include "gui/widgets/LateWindow.h"

class DraftBar;
class DraftSession;
class MessagePresenter;
class QComboBox;
class QDialog;
class RecentOrdersMenu;
class RuleMarks;
class TAboutBox;
class TFoCustomer;
class TFoIDCode;
class TFoOrderlist;
class TFoCompare;
class TFoRecheck;
class TNewVersionBox;

// The main window: assembles the controls, passes every user action to the
// Configurator and mirrors the Configurator's state afterwards.
class TForm1 : public QMainWindow {
    Q_OBJECT
  public:
    struct DataFiles {
        std::string catalogue;
        std::string prices;
        // Where the settings go when the catalogue cannot be written; empty: nowhere else.
        std::string userSettings = {};
        // The folder of drafts of unsaved orders; empty: none are kept or offered.
        std::string drafts = {};
    };
    // Ends the process with the exit code of a fatal start-up.
    using ExitFunction = std::function<void(int)>;
    using ModalRunner = std::function<void(QDialog&)>;

    // Runs FormCreate. After a fatal start-up the exit function has been called and the
    // window is not started.
    TForm1(DataFiles files, MessagePresenter& presenter, ExitFunction exitProcess, QWidget* parent = nullptr);

    // The window's font, from the given one: 9 point Arial, or its metric twin Liberation
    // Sans where Arial is not installed.
    static QFont WindowFont(QFont font);

    kb::Configurator& core() { return m_core; }
    const kb::Configurator& core() const { return m_core; }
    bool started() const { return m_started; }
    // The secondary windows, each made at its first use.
    TFoOrderlist* FoOrderlist() { return m_orderlist.get(); }
    TAboutBox* AboutBox() { return m_aboutBox.get(); }
    TFoCustomer* FoCustomer() { return m_customer.get(); }
    TFoIDCode* FoIDCode() { return m_idCode.get(); }
    TNewVersionBox* NewVersionBox() { return m_newVersionBox.get(); }
    TFoRecheck* FoRecheck() { return m_recheck.get(); }
    TFoCompare* FoCompare() { return m_compare.get(); }
    // The File menu's recently used orders.
    RecentOrdersMenu* RecentOrders() const { return m_recent; }
    // The rule hints shown on the controls.
    RuleMarks* Marks() const { return m_marks; }
    // The kept drafts of unsaved orders: this window's own and the offer of ended ones.
    DraftSession* Drafts() const { return m_drafts; }
    DraftBar* DraftOffer() const { return m_draftBar; }
    // How the secondary windows are shown; exec() unless a test replaces it.
    void setModalRunner(ModalRunner runner) { m_showModal = std::move(runner); }

    void UpdateWindowTitle();
    // Mirrors the Configurator into every control, with signals blocked.
    void RefreshFromCore();

    void HousingClick(int index) { Select(kb::Group::Housing, index); }
    void ProcessorClick(int index) { Select(kb::Group::Processor, index); }
    void RAMClick(int index) { Select(kb::Group::RAM, index); }
    void OSClick(int index) { Select(kb::Group::OS, index); }
    void PCIClick(bool checked);
    void HMIChange(int index) { Select(kb::Group::HMI, index); }
    void PowerChange(int index) { Select(kb::Group::Power, index); }
    void X1Change(int index) { Select(kb::Group::X1, index); }
    void X2Change(int index) { Select(kb::Group::X2, index); }
    void X3Change(int index) { Select(kb::Group::X3, index); }
    void X4Change(int index) { Select(kb::Group::X4, index); }
    void X5Change(int index) { Select(kb::Group::X5, index); }
    void X6Change(int index) { Select(kb::Group::X6, index); }
    void X7Change(int index) { Select(kb::Group::X7, index); }
    void X8Change(int index) { Select(kb::Group::X8, index); }
    void X9Change(int index) { Select(kb::Group::X9, index); }
    void X10Change(int index) { Select(kb::Group::X10, index); }
    void DisplayChange(int index) { Select(kb::Group::Display, index); }
    void HMICableChange(int index) { Select(kb::Group::HMICable, index); }
    void OSLanguageSelect(int index) { Select(kb::Group::OSLanguage, index); }
    void OSLanguageEdited(const QString& text);

    void ShowPricesClick();
    void SetStdConfigExecute();
    void german1Click() { LanguageClick(0); }
    void english1Click() { LanguageClick(1); }
    void french1Click() { LanguageClick(2); }
    void dutch1Click() { LanguageClick(3); }
    void italian1Click() { LanguageClick(4); }
    void spanish1Click() { LanguageClick(5); }

    void FileOpenExecute();
    // File Open with the name already chosen (a customer file given on the command line).
    void OpenCustomerFile(const QString& name);
    void FileSaveExecute();
    void FileSaveAsExecute();
    void FileExitExecute();
    void EditUndoExecute();
    void EditRedoExecute();
    void HelpAboutExecute();
    void Newinthisversion1Click();
    void EnterIDCode1Click();
    void CheckSavedOrders1Click();
    void CompareCatalogues1Click();
    TFoCompare* MakeCompareWindow();
    void BtnCustomerClick();
    void BtnShowOrderlistClick();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void FormCreate();
    void ConnectControls();
    void ConnectKeysAndRecentOrders();
    // Puts the current customer file first among the recently used orders when it was just
    // opened or saved.
    void NoteCustomerFile(bool saved);
    void FillFromCore();
    void Select(kb::Group group, int index);
    void LanguageClick(int language);
    void ShowMessage(const kb::Message& message);
    void ShowMessage(const std::optional<kb::Message>& message);
    void ShowMessages(const std::vector<kb::Message>& messages);
    void ShowJournalMessages();
    void ShowPendingWarning();
    void ShowModal(QDialog* dialog);
    void FitToDraftBar();
    RadioGroup* RadioOf(kb::Group group) const;
    QComboBox* ListOf(kb::Group group) const;

    DataFiles m_files;
    MessagePresenter& m_presenter;
    ExitFunction m_exit;
    ModalRunner m_showModal;
    kb::Configurator m_core;
    Form1Actions m_actions;
    Form1Controls m_controls;
    QColor m_statusTextColor;
    std::optional<kb::Message> m_pendingWarning;
    bool m_started = false;
    LateWindow<TFoOrderlist> m_orderlist;
    LateWindow<TAboutBox> m_aboutBox;
    LateWindow<TFoCustomer> m_customer;
    LateWindow<TFoIDCode> m_idCode;
    LateWindow<TNewVersionBox> m_newVersionBox;
    LateWindow<TFoRecheck> m_recheck;
    LateWindow<TFoCompare> m_compare{[this] { return MakeCompareWindow(); }};
    RuleMarks* m_marks = nullptr;
    RecentOrdersMenu* m_recent = nullptr;
    std::string m_notedFile;
    DraftBar* m_draftBar = nullptr;
    DraftSession* m_drafts = nullptr;
};
