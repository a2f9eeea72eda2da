#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/config/Choice.h"
#include "core/config/ConfigurationCheck.h"
#include "core/config/Reaction.h"
#include "core/customer/CustomerRecord.h"
#include "core/idcode/IDCode.h"
#include "core/orderlist/OrderList.h"
#include "core/session/AppInfo.h"
#include "core/session/Message.h"
#include "core/session/SettingsStore.h"
#include "core/session/UndoHistory.h"

namespace kb {

inline constexpr const char* kCatalogueMissingText =
    "Configuration file KITBUILDER.INI not found.\nMust be located in same directory as KITBUILDER.EXE !\n"
    "Cannot run program.";
inline constexpr const char* kBadPriceText =
    "One or more prices have an illegal format.\nPossible reason is use of wrong decimal separator ('.' "
    "or',').\nPlease check price file KITBUILDER.PRS.\nCannot run program.";
inline constexpr const char* kSaveRefusedText =
    "Configuration is incorrect! Please press 'Test Configuration' button for details!";
inline constexpr const char* kPriceBoxCaption = "Price of unit";

// The main window's state and its commands, without any widget: the loaded catalogue (as a
// shared snapshot), the user's choice, the status display, the price box, the settings' check
// marks and the customer record. The widgets mirror it whenever it tells them it changed.
class Configurator {
  public:
    Configurator() = default;

    // Called once after every command that changed the state (not once per inner step).
    void SetChangeListener(std::function<void()> listener) { m_changed = std::move(listener); }

    // The per-user settings file, used when the catalogue cannot be written (an installed
    // copy); set before LoadCatalogue. Empty (the default): settings stay in the catalogue.
    void SetUserSettingsFile(std::string path) { m_userSettingsFile = std::move(path); }
    // The file the settings menu writes to.
    const std::string& settingsFile() const { return m_settings.target(); }

    // Reads the catalogue and the price file, fills every control and sets the start
    // selections. Result 0, 1 (catalogue missing or unreadable) or 3 (a price is not a number).
    LoadOutcome LoadCatalogue(const std::string& cataloguePath, const std::string& pricePath);
    // The fatal message for a load result other than 0, with the detail on a line of its own.
    static std::string LoadFailureText(const LoadOutcome& outcome);
    // After a successful load: one warning that lists every group entry naming no part.
    std::optional<Message> LoadWarning() const;
    // The rest of the start-up: the first check, the stored price display, the unit price.
    // writeSettings false leaves the catalogue file untouched (the command-line companion).
    std::vector<Message> StartUp(bool writeSettings = true);

    const std::string& cataloguePath() const { return m_cataloguePath; }
    // The catalogue as the controls show it; shared, never changed after loading.
    const std::shared_ptr<const CatalogueSnapshot>& snapshot() const { return m_snapshot; }
    const Choice& choice() const { return m_choice; }
    // The choice as the start-up left it: where every saved order is rechecked from.
    const Choice& startChoice() const { return m_startChoice; }
    Configuration configuration() const { return Configuration(m_choice, *m_snapshot); }

    // A user's change of a control: the reaction of the control (the check; HMI also sets the
    // ZEV-Azo's visibility; the language box runs nothing).
    void UserSelect(Group group, int index);
    void UserSetPCI(bool checked);
    // The user typed into the editable language box; a text equal to an entry selects it.
    void UserTypeLanguage(const std::string& text);
    // A change of one control through its reaction (React), by the user or the program; runs
    // the check when the reaction does. Not an undo step of its own.
    void ChangeControl(Control control, int index, ChangeBy by);

    // Reads the rule sections, completes a Profibus pair, evaluates and stores the verdict.
    CheckResult CheckConfiguration();
    // The rule sections the last check read, so that what follows a change (the rule hints)
    // need not read the file again; null when the file could not be read.
    const RuleSections* lastRuleSections() const { return m_rules ? &*m_rules : nullptr; }
    std::optional<Message> ShowPricesClick();
    std::optional<Message> SetStdConfigExecute();
    std::optional<Message> StoreOSStdLanguage(int language);
    // A language command of the settings menu: store, then check its item.
    std::optional<Message> LanguageClick(int language);

    // Status display.
    CheckResult checkResult() const { return m_checkResult; }
    const std::string& statusText() const { return m_statusText; }
    bool errorDisplay() const { return m_errorDisplay; }
    bool showOrderListEnabled() const { return !m_errorDisplay; }
    // How often the check ran, so tests can tell which action ran it.
    int checkRuns() const { return m_checkRuns; }

    // Price box.
    const std::string& priceText() const { return m_priceText; }
    const std::string& currencyText() const { return m_currencyText; }
    const std::string& priceBoxCaption() const { return m_priceBoxCaption; }
    bool priceBoxVisible() const { return m_priceBoxVisible; }
    bool showPricesChecked() const { return m_showPricesChecked; }
    bool showPricesEnabled() const { return m_snapshot->pricesPresent; }

    // Settings menu.
    bool standardConfigurationChecked() const { return m_standardConfiguration; }
    // 0 german ... 5 spanish, -1 none.
    int checkedLanguage() const { return m_checkedLanguage; }

    // ID code.
    Result<std::string> CurrentIDCode() const;
    // Sets the selections from a prefixed code, then brings the ZEV-Azo's visibility, the
    // status display and the price up to date. A message when the code is too short.
    std::optional<Message> ApplyIDCode(const std::string& prefixedCode);
    // The ID-code dialog's OK, the companion's decode and its --code: applies a typed code
    // (as NormalizeTypedCode takes it), composes the order list and tells whether the code
    // stands for the configuration it produced.
    std::optional<Message> EnterIDCode(const std::string& typed);

    // Composes the order list; on success the code is stored as the customer's Code and the
    // list is kept for SaveOrderList.
    Result<OrderList> BuildOrderlist();
    // Show Order List: the check, then the order list. A message instead when the check finds a
    // fault (its status, as information) or the list cannot be made (an error).
    struct CheckedOrderList {
        std::optional<OrderList> list;
        std::optional<Message> message;
    };
    CheckedOrderList ShowOrderList();
    // The name the order list's Save To Disk proposes: beside the customer file; none without one.
    std::string ProposedOrderListName() const;
    // Save To Disk of the last order list composed: a chosen name without an extension gets
    // ".rtf"; "." and ".." (or no file name) write nothing (false). An order without a customer
    // file then gets one beside the list. The error names the file that could not be written.
    Result<bool> SaveOrderList(const std::string& chosenPath);

    // Customer record and files.
    const CustomerRecord& customer() const { return m_customer; }
    const std::string& customerFile() const { return m_customerFile; }
    bool customerDataFlag() const { return m_customerDataFlag; }
    // The customer dialog's OK: the warning to show first when a required field is empty.
    static std::optional<Message> CustomerFieldsWarning(const CustomerRecord& fields);
    // Stores the eight texts (Code untouched) and sets the flag.
    void StoreCustomerFields(const CustomerRecord& fields);
    void SetCustomerFile(const std::string& path);
    // Open: the record and the code of the file; the configuration through its code.
    std::vector<Message> OpenCustomerFile(const std::string& path);
    // Save's first steps: the check and the order list; a message when the check refuses.
    std::optional<Message> PrepareSave();
    // Save's last step: writes the record to the current customer file.
    std::optional<Message> SaveToCustomerFile();
    // Writes the record to path; only a file really written becomes the current customer
    // file, so after a failure the title names no file that does not hold the order.
    std::optional<Message> WriteCustomerFileTo(const std::string& path);

    std::string WindowTitle() const;

    // Whether the order (the customer's texts or the configuration) differs from the one last
    // opened or saved, or from the start-up state before either.
    bool OrderDiffers() const;
    // A kept draft's order, applied as File Open applies a file: record, current file and the
    // whole choice as one undo step, then the check (with the price). The order stays unsaved.
    void RestoreOrder(const CustomerRecord& record, const std::string& customerFile, const Choice& choice);

    // Edit menu: each user change of a control, applied ID code and opened customer file's
    // configuration is one step. Undo and Redo restore the whole choice, then run the check once.
    bool CanUndo() const { return m_undo.CanUndo(); }
    bool CanRedo() const { return m_undo.CanRedo(); }
    void Undo();
    void Redo();

  private:
    // Notifies the listener when the outermost command ends.
    class ChangeScope {
      public:
        explicit ChangeScope(Configurator& owner) : m_owner(owner) { ++m_owner.m_commandDepth; }
        ~ChangeScope();
        ChangeScope(const ChangeScope&) = delete;
        ChangeScope& operator=(const ChangeScope&) = delete;

      private:
        Configurator& m_owner;
    };

    // Records the choice before the outermost user command as one undo step, if it changed.
    class UndoStep {
      public:
        explicit UndoStep(Configurator& owner, bool typing = false);
        ~UndoStep();
        UndoStep(const UndoStep&) = delete;
        UndoStep& operator=(const UndoStep&) = delete;

      private:
        Configurator& m_owner;
        Choice m_before;
        bool m_typing;
    };

    void Restore(const Choice& choice);
    void MarkSaved();
    CheckedOrderList ComposeChecked(const std::string& refusal);
    void ShowPricesToggle();
    std::optional<Message> WriteShowPrices();

    std::string m_cataloguePath;
    std::shared_ptr<const CatalogueSnapshot> m_snapshot = std::make_shared<const CatalogueSnapshot>();
    StoredSettings m_stored;
    std::vector<MissingOrderNumber> m_missing;
    Choice m_choice;
    std::string m_userSettingsFile;
    SettingsStore m_settings;
    std::optional<Message> m_settingsWarning;
    Choice m_startChoice;

    std::optional<RuleSections> m_rules;
    CheckResult m_checkResult = CheckResult::Passed;
    std::string m_statusText;
    bool m_errorDisplay = false;
    int m_checkRuns = 0;

    std::string m_priceText;
    std::string m_currencyText;
    std::string m_priceBoxCaption = kPriceBoxCaption;
    bool m_priceBoxVisible = true;
    bool m_showPricesChecked = false;

    bool m_standardConfiguration = true;
    int m_checkedLanguage = -1;

    std::optional<OrderList> m_orderList;
    CustomerRecord m_customer;
    std::string m_customerFile;
    bool m_customerDataFlag = false;
    // The order as last opened or saved.
    CustomerRecord m_savedCustomer;
    Choice m_savedChoice;

    std::function<void()> m_changed;
    int m_commandDepth = 0;
    UndoHistory m_undo;
    int m_undoDepth = 0;
};

} // namespace kb
