#include "gui/mainwindow/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>

#include "core/config/ConfigurationCheck.h"
#include "core/platform/Paths.h"
#include "core/platform/SaveJournal.h"
#include "gui/about/TAboutBox.h"
#include "gui/about/TNewVersionBox.h"
#include "gui/compare/TFoCompare.h"
#include "gui/customer/TFoCustomer.h"
#include "gui/idcode/TFoIDCode.h"
#include "gui/mainwindow/DraftBar.h"
#include "gui/mainwindow/DraftSession.h"
#include "gui/mainwindow/RecentOrdersMenu.h"
#include "gui/orderlist/TFoOrderlist.h"
#include "gui/recheck/TFoRecheck.h"
#include "gui/widgets/FileDialogs.h"
#include "gui/widgets/MessagePresenter.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/RadioGroup.h"
#include "gui/widgets/RuleMarks.h"
#include "gui/widgets/ShortcutsFirst.h"
#include "gui/widgets/StatusCircle.h"
#include "gui/widgets/SummaryBox.h"

using namespace kb;

namespace {

constexpr int kClientWidth = 1023;
constexpr int kClientHeight = 602;
const QColor kErrorColor(255, 0, 0);
const QColor kSuccessColor(0, 255, 0);

QStringList ToQList(const std::vector<std::string>& items) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& item : items)
        list.append(ToQ(item));
    return list;
}

FileDialogs::Request CustomerFileRequest(const QString& title) {
    FileDialogs::Request request;
    request.title = title;
    request.filter = QStringLiteral("HALCYON KitBuilder Customer File (*.CST)");
    request.defaultSuffix = QStringLiteral("CST");
    // Saving replaces only the order's keys and keeps the rest of the file.
    request.confirmOverwrite = false;
    return request;
}

} // namespace

TForm1::TForm1(DataFiles files, MessagePresenter& presenter, ExitFunction exitProcess, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint),
      m_files(std::move(files)), m_presenter(presenter), m_exit(std::move(exitProcess)),
      m_showModal([](QDialog& dialog) { dialog.exec(); }),
      m_orderlist([this] { return new TFoOrderlist(m_core, m_presenter, this); }),
      m_aboutBox([this] { return new TAboutBox(&m_core, this); }),
      m_customer([this] { return new TFoCustomer(m_core, m_presenter, this); }),
      m_idCode([this] { return new TFoIDCode(m_core, m_presenter, this); }),
      m_newVersionBox([this] { return new TNewVersionBox(&m_presenter, this); }), m_recheck([this] {
          auto* recheck = new TFoRecheck(m_core, m_presenter, this);
          recheck->setSettingsFile(m_files.userSettings);
          return recheck;
      }) {
    Q_INIT_RESOURCE(kitbuilder);
    setObjectName(QStringLiteral("Form1"));
    setContextMenuPolicy(Qt::NoContextMenu);
    // The application's font, so that every dialog and message box shows the same family.
    QApplication::setFont(WindowFont(QApplication::font()));
    setFont(QApplication::font());

    m_actions.setup(this);
    // The bar that offers kept drafts lies above the controls, hidden while it offers none.
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_draftBar = new DraftBar(central);
    auto* client = new QWidget(central);
    client->setObjectName(QStringLiteral("Client"));
    column->addWidget(m_draftBar);
    column->addWidget(client, 1);
    setCentralWidget(central);
    m_controls.setup(client);
    m_marks = new RuleMarks(m_core, client, this);
    // The Exit button stands for the FileExit action and shows its picture.
    m_controls.BitBtn1->setIcon(m_actions.FileExit->icon());
    m_statusTextColor = m_controls.LaStatus->palette().color(QPalette::WindowText);
    FitToDraftBar();

    FormCreate();
    if (!m_started)
        return;
    ConnectControls();
    ConnectKeysAndRecentOrders();
    connect(m_draftBar, &DraftBar::linesChanged, this, &TForm1::FitToDraftBar);
    m_drafts->Offer();
}

void TForm1::FitToDraftBar() {
    // The client area lies below the main menu, as on the platform the window was designed
    // for; the bar of kept drafts adds its own height while it shows.
    const int bar = m_draftBar->isVisibleTo(this) ? m_draftBar->sizeHint().height() : 0;
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height() + bar);
}

QFont TForm1::WindowFont(QFont font) {
    // A family that is not installed is left out: Qt would ask fontconfig for its substitutes
    // for every bold or larger variant, only to arrive at the twin named next. With neither
    // installed, Qt's own fallback decides, as it did before.
    const QStringList designed{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
    const QStringList installed = QFontDatabase::families();
    QStringList present = designed;
    present.removeIf([&](const QString& family) { return !installed.contains(family, Qt::CaseInsensitive); });
    font.setFamilies(present.isEmpty() ? designed : present);
    font.setPointSize(9);
    return font;
}

void TForm1::FormCreate() {
    UpdateWindowTitle();
    m_core.SetUserSettingsFile(m_files.userSettings);
    const LoadOutcome outcome = m_core.LoadCatalogue(m_files.catalogue, m_files.prices);
    if (outcome.result != LoadResult::Loaded) {
        const std::string text = Configurator::LoadFailureText(outcome);
        // stdio rather than iostreams: their set-up alone costs the program 0.25 MB of memory.
        std::fprintf(stderr, "%s\n", text.c_str());
        m_presenter.Show(Message::Error(text), nullptr);
        m_exit(static_cast<int>(outcome.result));
        return;
    }
    FillFromCore();
    m_controls.SetTabOrder();
    // From here on every command of the core that changes its state shows in the window,
    // and reaches the order's draft.
    m_drafts = new DraftSession(m_core, m_presenter, m_files.drafts, m_draftBar, this);
    m_core.SetChangeListener([this] {
        RefreshFromCore();
        m_drafts->Changed();
    });
    const std::vector<Message> messages = m_core.StartUp();
    ShowMessages(messages);
    m_pendingWarning = m_core.LoadWarning();
    m_started = true;
}

void TForm1::ConnectControls() {
    const Form1Controls& c = m_controls;
    connect(c.Housing, &RadioGroup::userSelected, this, &TForm1::HousingClick);
    connect(c.Processor, &RadioGroup::userSelected, this, &TForm1::ProcessorClick);
    connect(c.RAM, &RadioGroup::userSelected, this, &TForm1::RAMClick);
    connect(c.OS, &RadioGroup::userSelected, this, &TForm1::OSClick);
    connect(c.PCI, &QCheckBox::clicked, this, &TForm1::PCIClick);
    connect(c.OSLanguage, &QComboBox::activated, this, &TForm1::OSLanguageSelect);
    connect(c.OSLanguage->lineEdit(), &QLineEdit::textEdited, this, &TForm1::OSLanguageEdited);
    connect(c.HMI, &QComboBox::activated, this, &TForm1::HMIChange);
    connect(c.Power, &QComboBox::activated, this, &TForm1::PowerChange);
    static constexpr std::array<void (TForm1::*)(int), 10> slotHandlers{
        &TForm1::X1Change, &TForm1::X2Change, &TForm1::X3Change, &TForm1::X4Change, &TForm1::X5Change,
        &TForm1::X6Change, &TForm1::X7Change, &TForm1::X8Change, &TForm1::X9Change, &TForm1::X10Change};
    for (std::size_t n = 0; n < slotHandlers.size(); ++n)
        connect(c.XSlots[n], &QComboBox::activated, this, slotHandlers[n]);
    connect(c.Display, &QComboBox::activated, this, &TForm1::DisplayChange);
    connect(c.HMICable, &QComboBox::activated, this, &TForm1::HMICableChange);
    connect(c.BtnCustomer, &QPushButton::clicked, this, &TForm1::BtnCustomerClick);
    connect(c.BtnShowOrderlist, &QPushButton::clicked, this, &TForm1::BtnShowOrderlistClick);
    connect(c.BitBtn1, &QPushButton::clicked, m_actions.FileExit, &QAction::trigger);

    const Form1Actions& a = m_actions;
    connect(a.FileOpen, &QAction::triggered, this, &TForm1::FileOpenExecute);
    connect(a.FileSave, &QAction::triggered, this, &TForm1::FileSaveExecute);
    connect(a.FileSaveAs, &QAction::triggered, this, &TForm1::FileSaveAsExecute);
    connect(a.FileExit, &QAction::triggered, this, &TForm1::FileExitExecute);
    connect(a.EditUndo, &QAction::triggered, this, &TForm1::EditUndoExecute);
    connect(a.EditRedo, &QAction::triggered, this, &TForm1::EditRedoExecute);
    connect(a.HelpAbout, &QAction::triggered, this, &TForm1::HelpAboutExecute);
    connect(a.SetStdConfig, &QAction::triggered, this, &TForm1::SetStdConfigExecute);
    connect(a.ShowPrices, &QAction::triggered, this, &TForm1::ShowPricesClick);
    static constexpr std::array<void (TForm1::*)(), 6> languageHandlers{
        &TForm1::german1Click, &TForm1::english1Click, &TForm1::french1Click,
        &TForm1::dutch1Click,  &TForm1::italian1Click, &TForm1::spanish1Click};
    for (std::size_t n = 0; n < languageHandlers.size(); ++n)
        connect(a.languages[n], &QAction::triggered, this, languageHandlers[n]);
    connect(a.EnterIDCode1, &QAction::triggered, this, &TForm1::EnterIDCode1Click);
    connect(a.CheckSavedOrders1, &QAction::triggered, this, &TForm1::CheckSavedOrders1Click);
    connect(a.CompareCatalogues1, &QAction::triggered, this, &TForm1::CompareCatalogues1Click);
    connect(a.Newinthisversion1, &QAction::triggered, this, &TForm1::Newinthisversion1Click);
}

void TForm1::ConnectKeysAndRecentOrders() {
    // A typed language is already a step of the window's undo: Ctrl+Z in the language box
    // takes that step back rather than the box's own text undo.
    auto* keys = new ShortcutsFirst(this, this);
    keys->watch(m_controls.OSLanguage);
    keys->watch(m_controls.OSLanguage->lineEdit());
    keys->replaceEditMenu(m_controls.OSLanguage->lineEdit(), m_actions.EditUndo, m_actions.EditRedo);

    m_recent =
        new RecentOrdersMenu(m_actions.File1, m_actions.ExitSeparator, m_files.userSettings, m_presenter,
                             this, [this](const std::string& path) { OpenCustomerFile(PathToQ(path)); });
}

void TForm1::NoteCustomerFile(bool saved) {
    // Opened or saved: a file that is there. A name given to an order not yet written (a new
    // customer file, the order list's neighbour) waits until it is.
    const std::string& file = m_core.customerFile();
    if (!m_recent || file.empty() || (file == m_notedFile && !saved) || !paths::Exists(file))
        return;
    m_notedFile = file;
    m_recent->Note(file);
}

RadioGroup* TForm1::RadioOf(Group group) const {
    switch (group) {
    case Group::Housing:
        return m_controls.Housing;
    case Group::Processor:
        return m_controls.Processor;
    case Group::RAM:
        return m_controls.RAM;
    case Group::OS:
        return m_controls.OS;
    default:
        return nullptr;
    }
}

QComboBox* TForm1::ListOf(Group group) const {
    if (IsSlot(group))
        return m_controls.XSlots[static_cast<std::size_t>(SlotNumber(group) - 1)];
    switch (group) {
    case Group::OSLanguage:
        return m_controls.OSLanguage;
    case Group::HMI:
        return m_controls.HMI;
    case Group::Power:
        return m_controls.Power;
    case Group::Display:
        return m_controls.Display;
    case Group::HMICable:
        return m_controls.HMICable;
    default:
        return nullptr;
    }
}

void TForm1::FillFromCore() {
    const CatalogueSnapshot& catalogue = *m_core.snapshot();
    for (const GroupInfo& info : AllGroups()) {
        const QStringList items = ToQList(catalogue.Items(info.group));
        if (RadioGroup* radio = RadioOf(info.group)) {
            const QSignalBlocker blocker(radio);
            radio->setItems(items);
        } else if (QComboBox* list = ListOf(info.group)) {
            const QSignalBlocker blocker(list);
            list->clear();
            list->addItems(items);
        }
    }
}

void TForm1::RefreshFromCore() {
    const Choice& choice = m_core.choice();
    const Form1Controls& c = m_controls;
    for (const GroupInfo& info : AllGroups()) {
        const int index = choice[info.group];
        if (RadioGroup* radio = RadioOf(info.group)) {
            const QSignalBlocker blocker(radio);
            radio->setIndex(index);
        } else if (QComboBox* list = ListOf(info.group)) {
            const QSignalBlocker blocker(list);
            if (list->currentIndex() != index)
                list->setCurrentIndex(index);
            // Typed text that names no entry; left alone while it already shows, so typing
            // keeps its cursor.
            const QString typed = ToQ(choice.typedLanguage);
            if (index < 0 && list->isEditable() && list->currentText() != typed)
                list->setEditText(typed);
        }
    }
    {
        const QSignalBlocker blocker(c.PCI);
        c.PCI->setText(ToQ(m_core.snapshot()->extensionCaption));
        c.PCI->setChecked(choice.pciChecked);
    }
    c.HMIBox->setVisible(choice.azoVisible);
    c.Display->setVisible(choice.azoVisible);
    c.Cable->setVisible(choice.azoVisible);

    const bool error = m_core.errorDisplay();
    c.Circle->setColor(error ? kErrorColor : kSuccessColor);
    c.LaNOTOK->setVisible(error);
    c.LaStatus->setText(ToQ(m_core.statusText()));
    QPalette palette = c.LaStatus->palette();
    palette.setColor(QPalette::WindowText, error ? kErrorColor : m_statusTextColor);
    c.LaStatus->setPalette(palette);
    c.BtnShowOrderlist->setEnabled(m_core.showOrderListEnabled());

    c.PriceBox->setVisible(m_core.priceBoxVisible());
    c.PriceBox->setTitle(ToQ(m_core.priceBoxCaption()));
    c.LaPrice->setText(ToQ(m_core.priceText()));
    c.LaCurrency->setText(ToQ(m_core.currencyText()));
    m_controls.UpdateSummaries();

    const Form1Actions& a = m_actions;
    {
        const QSignalBlocker blockStd(a.StandardConfiguration);
        const QSignalBlocker blockPrices(a.ShowPrices);
        a.StandardConfiguration->setChecked(m_core.standardConfigurationChecked());
        a.ShowPrices->setEnabled(m_core.showPricesEnabled());
        a.ShowPrices->setChecked(m_core.showPricesChecked());
    }
    for (std::size_t n = 0; n < a.languages.size(); ++n) {
        const QSignalBlocker blocker(a.languages[n]);
        a.languages[n]->setChecked(static_cast<int>(n) == m_core.checkedLanguage());
    }
    a.EditUndo->setEnabled(m_core.CanUndo());
    a.EditRedo->setEnabled(m_core.CanRedo());
    UpdateWindowTitle();
    NoteCustomerFile(false);
    m_marks->Schedule();
}

void TForm1::UpdateWindowTitle() {
    setWindowTitle(ToQ(m_core.WindowTitle()));
}

void TForm1::Select(Group group, int index) {
    m_core.UserSelect(group, index);
}

void TForm1::PCIClick(bool checked) {
    m_core.UserSetPCI(checked);
}

void TForm1::OSLanguageEdited(const QString& text) {
    m_core.UserTypeLanguage(FromQ(text));
}

void TForm1::ShowPricesClick() {
    const auto failure = m_core.ShowPricesClick();
    ShowMessage(failure);
}

void TForm1::SetStdConfigExecute() {
    const auto failure = m_core.SetStdConfigExecute();
    ShowMessage(failure);
}

void TForm1::LanguageClick(int language) {
    const auto failure = m_core.LanguageClick(language);
    ShowMessage(failure);
}

void TForm1::FileOpenExecute() {
    const QString name = FileDialogs::GetOpenFileName(this, CustomerFileRequest(QStringLiteral("Open")));
    if (!name.isEmpty())
        OpenCustomerFile(name);
}

void TForm1::OpenCustomerFile(const QString& name) {
    const std::vector<Message> messages = m_core.OpenCustomerFile(PathFromQ(name));
    ShowMessages(messages);
    ShowJournalMessages();
}

void TForm1::FileSaveExecute() {
    if (const auto refused = m_core.PrepareSave()) {
        ShowMessage(*refused);
        return;
    }
    std::string path = m_core.customerFile();
    if (path.empty()) {
        const QString name =
            FileDialogs::GetSaveFileName(this, CustomerFileRequest(QStringLiteral("Save As")));
        if (!name.isEmpty())
            path = PathFromQ(name);
    }
    // The chosen name becomes the current file only once the file is written.
    std::optional<Message> failure;
    if (!path.empty())
        failure = m_core.WriteCustomerFileTo(path);
    if (!path.empty() && !failure)
        NoteCustomerFile(true);
    ShowJournalMessages();
    ShowMessage(failure);
}

void TForm1::FileSaveAsExecute() {
    m_core.SetCustomerFile({});
    FileSaveExecute();
}

void TForm1::FileExitExecute() {
    close();
}

void TForm1::EditUndoExecute() {
    m_core.Undo();
}

void TForm1::EditRedoExecute() {
    m_core.Redo();
}

void TForm1::HelpAboutExecute() {
    ShowModal(m_aboutBox.get());
}

void TForm1::Newinthisversion1Click() {
    ShowModal(m_newVersionBox.get());
}

void TForm1::EnterIDCode1Click() {
    ShowModal(m_idCode.get());
}

void TForm1::CheckSavedOrders1Click() {
    m_recheck->Open();
}

void TForm1::CompareCatalogues1Click() {
    m_compare->Open();
}

TFoCompare* TForm1::MakeCompareWindow() {
    return new TFoCompare(m_core, m_presenter, this);
}

void TForm1::BtnCustomerClick() {
    // Until a customer file is opened or the dialog confirmed, the record holds nothing to show.
    m_customer->SetFields(m_core.customerDataFlag() ? m_core.customer() : CustomerRecord{});
    ShowModal(m_customer.get());
}

void TForm1::BtnShowOrderlistClick() {
    const Configurator::CheckedOrderList shown = m_core.ShowOrderList();
    if (shown.message) {
        ShowMessage(*shown.message);
        return;
    }
    m_orderlist->ShowList(*shown.list);
    ShowModal(m_orderlist.get());
}

void TForm1::ShowModal(QDialog* dialog) {
    m_showModal(*dialog);
}

void TForm1::ShowMessage(const Message& message) {
    m_presenter.Show(message, isVisible() ? this : nullptr);
}

void TForm1::ShowMessage(const std::optional<Message>& message) {
    if (message)
        ShowMessage(*message);
}

void TForm1::ShowMessages(const std::vector<Message>& messages) {
    for (const Message& message : messages)
        ShowMessage(message);
}

void TForm1::ShowJournalMessages() {
    // Interrupted saves of the file just read or written, completed before it was touched.
    for (const std::string& text : TakeJournalMessages())
        ShowMessage(Message::Warning(text));
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // The catalogue warning follows the window's first appearance rather than delaying it.
    if (m_pendingWarning)
        QTimer::singleShot(0, this, &TForm1::ShowPendingWarning);
}

void TForm1::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && m_drafts)
        m_drafts->WindowClosed();
}

void TForm1::ShowPendingWarning() {
    if (!m_pendingWarning)
        return;
    const Message warning = *m_pendingWarning;
    m_pendingWarning.reset();
    ShowMessage(warning);
}
