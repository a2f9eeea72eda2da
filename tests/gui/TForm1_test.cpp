#include "RecordingPresenter.h"
#include "gui/mainwindow/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "TestFiles.h"
#include "core/platform/TIniFile.h"
#include "core/session/UserPreferences.h"
#include "gui/about/TAboutBox.h"
#include "gui/about/TNewVersionBox.h"
#include "gui/customer/TFoCustomer.h"
#include "gui/idcode/TFoIDCode.h"
#include "gui/mainwindow/RecentOrdersMenu.h"
#include "gui/orderlist/TFoOrderlist.h"
#include "gui/widgets/FileDialogs.h"
#include "gui/widgets/MessagePresenter.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/StatusCircle.h"

using namespace kb;

namespace {

// Order number, description, price, ID-code index. The first entry of each group is its
// standard choice; together the standard choices cost 2120. An operating system's order
// number is a whole number: the order list adds the language to it.
const std::vector<std::array<const char*, 4>> kParts = {
    {"H1", "Housing A", "1000", "1"}, {"H2", "Housing B", "1100", "2"}, {"H3", "Housing C", "1200", "3"},
    {"C1", "CPU A", "200", "1"},      {"R1", "RAM A", "50", "1"},       {"5000", "OS A", "100", "1"},
    {"M1", "HMI Azo", "300", "A"},    {"M2", "HMI Panel", "250", "B"},  {"P1", "Power", "40", "1"},
    {"D1", "Display", "400", "S"},    {"K1", "Cable 5m", "30", "5"},    {"E1", "PCI card", "500", "1"},
    {"S1", "RS232", "10", "A"},       {"S2", "CAN", "20", "B"},
};

std::string List(const std::string& section, const std::vector<std::string>& values) {
    std::string text = "[" + section + "]\n";
    for (std::size_t k = 0; k < values.size(); ++k)
        text += std::to_string(k) + "=" + values[k] + "\n";
    return text;
}

std::string CatalogueText(const std::string& general = "UseStdConfig=1\nShowPrices=1\nOSStdLanguage=0\n",
                          const std::string& extra = "") {
    std::string text = "[General]\nVersion=T1\n" + general + "[OrderNumbers]\n";
    for (std::size_t n = 0; n < kParts.size(); ++n)
        text += std::to_string(n) + "=" + kParts[n][0] + "\n";
    text += "[Descriptions]\n";
    for (const auto& p : kParts)
        text += std::string(p[0]) + "=" + p[1] + "\n";
    text += "[Index]\n";
    for (const auto& p : kParts)
        text += std::string(p[0]) + "=" + p[3] + "\n";
    text += List("Housing", {"H1", "H2", "H3"}) + List("CPU", {"C1"}) + List("RAM", {"R1"}) +
            List("OperatingSystem", {"5000"}) +
            List("OSLanguages", {"german", "english", "french", "dutch"}) + List("Extension", {"E1"}) +
            List("HMI", {"M1", "M2"}) + List("Power", {"P1"}) + List("Display", {"D1"}) +
            List("HMICable", {"K1"});
    for (int n = 1; n <= 10; ++n)
        text += List("X" + std::to_string(n), {"S1", "S2"});
    return text + "[Max_PCOM]\nS1=1\n" + extra;
}

std::string PriceText(const std::string& badPart = "") {
    std::string text = "[General]\nCurrency=CHF\n[Prices]\n";
    for (const auto& p : kParts)
        text += std::string(p[0]) + "=" + (p[0] == badPart ? "12x" : p[2]) + "\n";
    return text;
}

// A started main window over files in a fresh folder, with every dialog answered by
// the test: messages are recorded, modal windows are recorded instead of run.
class Harness {
  public:
    explicit Harness(const std::optional<std::string>& catalogue = CatalogueText(),
                     const std::optional<std::string>& prices = PriceText()) {
        m_ini = catalogue ? m_dir.write("KITBUILDER.INI", *catalogue) : m_dir.file("KITBUILDER.INI");
        const std::string prs =
            prices ? m_dir.write("KITBUILDER.PRS", *prices) : m_dir.file("KITBUILDER.PRS");
        // The per-user file holds what this user's runs remember; the catalogue here is
        // writable, so the three settings stay in it.
        form = std::make_unique<TForm1>(TForm1::DataFiles{m_ini, prs, m_dir.file("user/settings.ini")},
                                        presenter, [this](int code) { exitCodes.push_back(code); });
        form->setModalRunner([this](QDialog& dialog) { modals.push_back(&dialog); });
    }

    template <class W> W* find(const char* name) const {
        W* widget = form->findChild<W*>(QLatin1String(name));
        if (!widget)
            qFatal("no control named %s", name);
        return widget;
    }
    const Configurator& core() const { return form->core(); }
    const std::string& ini() const { return m_ini; }
    std::string file(const std::string& name) const { return m_dir.file(name); }
    std::string write(const std::string& name, const std::string& text) const {
        return m_dir.write(name, text);
    }

    void show() {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    RecordingPresenter presenter;
    std::vector<int> exitCodes;
    std::vector<QDialog*> modals;
    std::unique_ptr<TForm1> form;

  private:
    TempDir m_dir;
    std::string m_ini;
};

// Picks an entry with the keyboard, as a user of a closed list does.
void UserChoose(QComboBox* box, int index) {
    while (box->currentIndex() < index)
        QTest::keyClick(box, Qt::Key_Down);
    while (box->currentIndex() > index)
        QTest::keyClick(box, Qt::Key_Up);
}

void UserClick(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(8, button->height() / 2));
}

QList<QRadioButton*> RadioButtons(QGroupBox* group) {
    return group->findChildren<QRadioButton*>();
}

int CheckedRadio(QGroupBox* group) {
    const auto buttons = RadioButtons(group);
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->isChecked())
            return i;
    }
    return -1;
}

QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    return items;
}

QString Caption(QObject* object) {
    if (auto* group = qobject_cast<QGroupBox*>(object))
        return group->title();
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(object))
        return label->text();
    if (auto* action = qobject_cast<QAction*>(object))
        return action->text();
    return {};
}

QString Hint(QObject* object) {
    if (auto* widget = qobject_cast<QWidget*>(object))
        return widget->toolTip() == widget->statusTip() ? widget->toolTip() : QStringLiteral("<differs>");
    auto* action = qobject_cast<QAction*>(object);
    return action->statusTip() == action->toolTip() || action->statusTip().isEmpty()
               ? action->toolTip()
               : QStringLiteral("<differs>");
}

const QColor kRed(255, 0, 0);
const QColor kLime(0, 255, 0);

} // namespace

class TForm1Test : public QObject {
    Q_OBJECT

  private slots:
    void controlsHaveTheirCaptionsAndHints_data();
    void controlsHaveTheirCaptionsAndHints();
    void actionsSitInMenuAndToolBar();
    void windowIsFixedAndFitsItsControls();
    void loadingFillsTheControls();
    void listChangeRunsTheCheckAndTheStatusFollows();
    void radioClickRunsTheCheckOnlyOnChange();
    void extensionCardClickRunsTheCheck();
    void secondHmiHidesTheZevAzo();
    void priceBoxFollowsAndShowPricesToggles();
    void noPriceFileDisablesThePriceDisplay();
    void programmaticRefreshRunsNoCheck();
    void typedLanguageRunsNothing();
    void languageItemsStoreAndCheck();
    void unknownStoredLanguageChecksNoItem();
    void standardConfigurationCommandClearsTheGroups();
    void missingCatalogueEndsWithCode1();
    void badPriceEndsWithCode3();
    void loadWarningFollowsTheWindow();
    void titleNamesCustomerAndFile();
    void customerFileFromTheCommandLine();
    void saveAsCancelledWritesNothing();
    void commandsShowTheirWindows_data();
    void commandsShowTheirWindows();
    void showOrderListRefusesAFailingConfiguration();
    void showOrderListBuildsAndShowsTheList();
    void exitClosesTheWindow();
    void menusHaveAltKeysAndStandardShortcuts();
    void cutEntriesShowAnEllipsisAndATooltip();
    void everyWindowUsesTheWindowFamily();
    void undoAndRedoKeysWinInTheLanguageBox();
    void recentOrdersInTheFileMenu();
};

void TForm1Test::controlsHaveTheirCaptionsAndHints_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("hint");
    const auto row = [](const char* name, const char* caption, const char* hint = "") {
        QTest::newRow(name) << QString(QLatin1String(name)) << QString(QLatin1String(caption))
                            << QString(QLatin1String(hint));
    };
    row("GroupBox1", "Zev-Ozi");
    row("Housing", "Housing");
    row("Processor", "Processor");
    row("RAM", "RAM", "Only one RAM module is possible");
    row("OS", "Operating System",
        "Comes in multilanguage version and can be set to many different languages on customers location");
    row("Language", "OS Language on Delivery", "Defines only the language setting on delivery");
    row("ExtensionCard", "ExtensionCard",
        "Enables the use of an additional PCI card. Only PCI standard 2.1 is supported!");
    row("GroupBox3", "Interfaces");
    row("HMIBox", "ZEV-Azo, IP69K, stainless steel");
    row("USB1", "USB 1");
    row("USB2", "USB 2");
    row("Cable", "Length of cable (Zev-Ozi <--> ZEV-Azo)");
    row("BtnCustomer", "Customer Data",
        "Enables input of customer specific data which can be stored and printed out with order list");
    row("BtnShowOrderlist", "Show Order List", "Opens an order list with all selected parts");
    row("Circle", "", "If green your configuration is ok, if red something is wrong!");
    row("LaNOTOK", "NOT");
    row("LaOK", "OK");
    row("BitBtn1", "Exit");
    row("FileNew", "&New", "Create new order");
    row("FileOpen", "&Open", "Open existing order");
    row("FileSave", "&Save", "Save order");
    row("FileSaveAs", "Save &As", "Save order as");
    row("HelpAbout", "&About", "Shows the AboutBox");
    row("SetStdConfig", "Use &Standard Configuration", "Enable/disable standard configuration");
    row("StandardConfiguration", "Use &Standard Configuration", "Enable/disable standard configuration");
    row("Language1", "&Language", "Select your language");
    row("ShowPrices", "Show &Price of Unit");
    row("german1", "&german");
    row("spanish1", "&spanish");
    row("EnterIDCode1", "&Enter ID-Code");
    row("Newinthisversion1", "&New in this version");
}

void TForm1Test::controlsHaveTheirCaptionsAndHints() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QString, hint);
    Harness h;
    QObject* control = h.form->findChild<QObject*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(Caption(control), caption);
    if (!hint.isEmpty())
        QCOMPARE(Hint(control), hint);
}

void TForm1Test::actionsSitInMenuAndToolBar() {
    Harness h;
    const auto names = [](const QList<QAction*>& actions) {
        QStringList list;
        for (QAction* a : actions)
            list.append(a->isSeparator() ? QStringLiteral("|") : a->objectName());
        return list;
    };
    QCOMPARE(names(h.find<QToolBar>("ToolBar1")->actions()).join(QLatin1Char(' ')),
             QStringLiteral("FileNew FileOpen FileSave | HelpAbout | FileExit"));
    QStringList menus;
    for (QAction* a : h.find<QMenuBar>("MainMenu1")->actions())
        menus.append(a->text());
    QCOMPARE(menus,
             (QStringList{QStringLiteral("&File"), QStringLiteral("&Edit"), QStringLiteral("&Settings"),
                          QStringLiteral("E&xtra"), QStringLiteral("&Help")}));
    QCOMPARE(names(h.find<QMenu>("File1")->actions()).join(QLatin1Char(' ')),
             QStringLiteral("FileNew FileOpen FileSave FileSaveAs | FileExit"));
    QCOMPARE(names(h.find<QMenu>("Help1")->actions()).join(QLatin1Char(' ')),
             QStringLiteral("HelpAbout | Newinthisversion1"));
    QCOMPARE(names(h.find<QMenu>("StandardOperatingSystemLanguage1")->actions()).join(QLatin1Char(' ')),
             QStringLiteral("german1 english1 french1 dutch1 italian1 spanish1"));
    QVERIFY(!h.find<QAction>("FileNew")->isEnabled());
    QVERIFY(!h.find<QAction>("Language1")->isEnabled());
    QVERIFY(!h.find<QAction>("StandardConfiguration")->isEnabled());
    QVERIFY(h.find<QAction>("StandardConfiguration")->isChecked());
    QCOMPARE(h.find<QAction>("FileOpen")->shortcut(), QKeySequence(QKeySequence::Open));
    QCOMPARE(h.find<QAction>("FileSave")->shortcut(), QKeySequence(QKeySequence::Save));
}

void TForm1Test::windowIsFixedAndFitsItsControls() {
    Harness h;
    h.show();
    QCOMPARE(h.form->width(), 1023);
    QCOMPARE(h.form->height() - h.form->menuBar()->height(), 602);
    QCOMPARE(h.form->minimumSize(), h.form->maximumSize());
    const Qt::WindowFlags flags = h.form->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowContextHelpButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));

    // Nothing is cut off: every control lies inside its parent.
    for (QWidget* widget : h.form->centralWidget()->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(h.form.get()) || widget->isWindow())
            continue;
        const QRect parentRect = widget->parentWidget()->rect();
        QVERIFY2(parentRect.contains(widget->geometry()), qPrintable(widget->objectName()));
    }
    const QLabel* image = h.find<QLabel>("Image1");
    QCOMPARE(image->size(), QSize(193, 242));
    QCOMPARE(image->pixmap().size(), QSize(193, 242));
}

void TForm1Test::loadingFillsTheControls() {
    Harness h;
    h.show();
    auto* housing = h.find<QGroupBox>("Housing");
    const auto buttons = RadioButtons(housing);
    QCOMPARE(buttons.size(), 3);
    QCOMPARE(buttons[2]->text(), QStringLiteral("Housing C"));
    // Two rows, filled column by column: options 0 and 1 in the first column.
    QCOMPARE(buttons[1]->x(), buttons[0]->x());
    QVERIFY(buttons[1]->y() > buttons[0]->y());
    QVERIFY(buttons[2]->x() > buttons[0]->x());
    QCOMPARE(buttons[2]->y(), buttons[0]->y());
    QCOMPARE(CheckedRadio(housing), 0);

    for (const char* slot : {"X1", "X5", "X10"}) {
        auto* box = h.find<QComboBox>(slot);
        QCOMPARE(Items(box), (QStringList{QStringLiteral("---------------"), QStringLiteral("RS232"),
                                          QStringLiteral("CAN")}));
        QCOMPARE(box->currentIndex(), 0);
    }
    QCOMPARE(Items(h.find<QComboBox>("HMI")),
             (QStringList{QStringLiteral("HMI Azo"), QStringLiteral("HMI Panel")}));
    QCOMPARE(h.find<QComboBox>("HMI")->currentIndex(), 0);
    QCOMPARE(h.find<QComboBox>("HMICable")->currentText(), QStringLiteral("Cable 5m"));
    auto* language = h.find<QComboBox>("OSLanguage");
    QVERIFY(language->isEditable());
    QCOMPARE(language->count(), 4);
    QCOMPARE(language->currentText(), QStringLiteral("german"));
    QCOMPARE(h.find<QCheckBox>("PCI")->text(), QStringLiteral("PCI card"));
    QVERIFY(!h.find<QCheckBox>("PCI")->isChecked());
    QVERIFY(h.find<QCheckBox>("USB1")->isChecked());
    QVERIFY(!h.find<QCheckBox>("USB2")->isEnabled());
    QVERIFY(h.find<QAction>("german1")->isChecked());
    QCOMPARE(h.find<QLabel>("LaStatus")->text(), QStringLiteral("Selected configuration has no errors."));
}

void TForm1Test::listChangeRunsTheCheckAndTheStatusFollows() {
    Harness h;
    h.show();
    auto* status = h.find<QLabel>("LaStatus");
    const QColor normalText = status->palette().color(QPalette::WindowText);
    QVERIFY(normalText != kRed);

    int runs = h.core().checkRuns();
    UserChoose(h.find<QComboBox>("X1"), 1);
    QVERIFY(h.core().checkRuns() > runs);
    QCOMPARE(h.find<StatusCircle>("Circle")->color(), kLime);

    // RS232 is allowed once in the upper row.
    runs = h.core().checkRuns();
    UserChoose(h.find<QComboBox>("X3"), 1);
    QVERIFY(h.core().checkRuns() > runs);
    QCOMPARE(h.core().choice()[Group::X3], 1);
    QCOMPARE(status->text(), QStringLiteral("There is only 1 RS232 interface allowed!"));
    QCOMPARE(status->palette().color(QPalette::WindowText), kRed);
    QCOMPARE(h.find<StatusCircle>("Circle")->color(), kRed);
    QVERIFY(h.find<QLabel>("LaNOTOK")->isVisible());
    QVERIFY(h.find<QLabel>("LaOK")->isVisible());
    QVERIFY(!h.find<QPushButton>("BtnShowOrderlist")->isEnabled());

    UserChoose(h.find<QComboBox>("X3"), 0);
    QCOMPARE(status->text(), QStringLiteral("Selected configuration has no errors."));
    QCOMPARE(status->palette().color(QPalette::WindowText), normalText);
    QCOMPARE(h.find<StatusCircle>("Circle")->color(), kLime);
    QVERIFY(!h.find<QLabel>("LaNOTOK")->isVisible());
    QVERIFY(h.find<QPushButton>("BtnShowOrderlist")->isEnabled());
}

void TForm1Test::radioClickRunsTheCheckOnlyOnChange() {
    Harness h;
    h.show();
    const auto buttons = RadioButtons(h.find<QGroupBox>("Housing"));
    const int runs = h.core().checkRuns();
    UserClick(buttons[2]);
    QCOMPARE(h.core().choice()[Group::Housing], 2);
    QCOMPARE(h.core().checkRuns(), runs + 1);
    QCOMPARE(h.find<QLabel>("LaPrice")->text(), QStringLiteral("2320"));
    UserClick(buttons[2]);
    QCOMPARE(h.core().checkRuns(), runs + 1);
}

void TForm1Test::extensionCardClickRunsTheCheck() {
    Harness h;
    h.show();
    const int runs = h.core().checkRuns();
    UserClick(h.find<QCheckBox>("PCI"));
    QVERIFY(h.core().choice().pciChecked);
    QCOMPARE(h.core().checkRuns(), runs + 1);
    QCOMPARE(h.find<QLabel>("LaPrice")->text(), QStringLiteral("2620"));
}

void TForm1Test::secondHmiHidesTheZevAzo() {
    Harness h;
    h.show();
    auto* hmi = h.find<QComboBox>("HMI");
    const int runs = h.core().checkRuns();
    UserChoose(hmi, 1);
    QVERIFY(h.core().checkRuns() > runs);
    for (const char* name : {"HMIBox", "Display", "Cable"})
        QVERIFY2(h.find<QWidget>(name)->isHidden(), name);
    UserChoose(hmi, 0);
    for (const char* name : {"HMIBox", "Display", "Cable"})
        QVERIFY2(h.find<QWidget>(name)->isVisible(), name);
}

void TForm1Test::priceBoxFollowsAndShowPricesToggles() {
    Harness h;
    h.show();
    auto* box = h.find<QGroupBox>("PriceBox");
    auto* showPrices = h.find<QAction>("ShowPrices");
    QCOMPARE(box->title(), QStringLiteral("Price of unit"));
    QCOMPARE(h.find<QLabel>("LaPrice")->text(), QStringLiteral("2120"));
    QCOMPARE(h.find<QLabel>("LaCurrency")->text(), QStringLiteral("  CHF"));
    QVERIFY(h.find<QLabel>("LaPrice")->alignment() & Qt::AlignRight);
    QVERIFY(showPrices->isEnabled());
    QVERIFY(showPrices->isChecked());

    showPrices->trigger();
    QVERIFY(!showPrices->isChecked());
    QVERIFY(box->isHidden());
    QCOMPARE(TIniFile(h.ini()).ReadString("General", "ShowPrices", ""), std::string("0"));
    // Hidden, the amount still follows the configuration.
    UserChoose(h.find<QComboBox>("X2"), 2);
    QCOMPARE(h.find<QLabel>("LaPrice")->text(), QStringLiteral("2140"));

    showPrices->trigger();
    QVERIFY(showPrices->isChecked());
    QVERIFY(box->isVisible());
    QCOMPARE(TIniFile(h.ini()).ReadString("General", "ShowPrices", ""), std::string("1"));
}

void TForm1Test::noPriceFileDisablesThePriceDisplay() {
    Harness h(CatalogueText(), std::nullopt);
    h.show();
    auto* showPrices = h.find<QAction>("ShowPrices");
    QVERIFY(!showPrices->isEnabled());
    QVERIFY(!showPrices->isChecked());
    QCOMPARE(h.find<QGroupBox>("PriceBox")->title(), QString());
    UserClick(h.find<QCheckBox>("PCI"));
    QCOMPARE(h.find<QLabel>("LaPrice")->text(), QString());
    QCOMPARE(h.find<QLabel>("LaCurrency")->text(), QString());
}

void TForm1Test::programmaticRefreshRunsNoCheck() {
    Harness h;
    h.show();
    int runs = h.core().checkRuns();
    h.form->RefreshFromCore();
    QCOMPARE(h.core().checkRuns(), runs);

    // A list set by the program shows its entry and runs nothing.
    h.form->core().ChangeControl(Control::Of(Group::X2), 2, ChangeBy::Program);
    h.form->RefreshFromCore();
    QCOMPARE(h.find<QComboBox>("X2")->currentIndex(), 2);
    QCOMPARE(h.core().checkRuns(), runs);

    // A radio group set by the program runs its click handler once, in the core; mirroring
    // the new state into the buttons adds no second run.
    h.form->core().ChangeControl(Control::Of(Group::Housing), 1, ChangeBy::Program);
    runs = h.core().checkRuns();
    h.form->RefreshFromCore();
    QCOMPARE(CheckedRadio(h.find<QGroupBox>("Housing")), 1);
    QCOMPARE(h.core().checkRuns(), runs);
}

void TForm1Test::typedLanguageRunsNothing() {
    Harness h;
    h.show();
    auto* language = h.find<QComboBox>("OSLanguage");
    const int runs = h.core().checkRuns();
    const QString status = h.find<QLabel>("LaStatus")->text();
    language->lineEdit()->selectAll();
    QTest::keyClicks(language->lineEdit(), QStringLiteral("Klingon"));
    QCOMPARE(language->currentText(), QStringLiteral("Klingon"));
    QCOMPARE(h.core().choice()[Group::OSLanguage], -1);
    QCOMPARE(h.core().configuration().Text(Group::OSLanguage), std::string("Klingon"));
    QCOMPARE(h.core().checkRuns(), runs);
    QCOMPARE(h.find<QLabel>("LaStatus")->text(), status);

    language->lineEdit()->selectAll();
    QTest::keyClicks(language->lineEdit(), QStringLiteral("french"));
    QCOMPARE(h.core().choice()[Group::OSLanguage], 2);
    QCOMPARE(language->count(), 4);
    UserChoose(language, 1);
    QCOMPARE(h.core().choice()[Group::OSLanguage], 1);
    QCOMPARE(h.core().checkRuns(), runs);
}

void TForm1Test::languageItemsStoreAndCheck() {
    Harness h;
    h.find<QAction>("french1")->trigger();
    QCOMPARE(TIniFile(h.ini()).ReadInteger("General", "OSStdLanguage", -1), 2);
    QCOMPARE(h.find<QComboBox>("OSLanguage")->currentIndex(), 2);
    for (const char* name : {"german1", "english1", "french1", "dutch1", "italian1", "spanish1"})
        QCOMPARE(h.find<QAction>(name)->isChecked(), std::string(name) == "french1");

    // Only four languages: the box shows none, the item is checked all the same.
    h.find<QAction>("spanish1")->trigger();
    QCOMPARE(h.find<QComboBox>("OSLanguage")->currentIndex(), -1);
    QVERIFY(h.find<QAction>("spanish1")->isChecked());
    QVERIFY(!h.find<QAction>("french1")->isChecked());
}

void TForm1Test::unknownStoredLanguageChecksNoItem() {
    Harness h(CatalogueText("OSStdLanguage=7\n"));
    QCOMPARE(h.find<QComboBox>("OSLanguage")->currentIndex(), -1);
    for (const char* name : {"german1", "english1", "french1", "dutch1", "italian1", "spanish1"})
        QVERIFY2(!h.find<QAction>(name)->isChecked(), name);
}

void TForm1Test::standardConfigurationCommandClearsTheGroups() {
    Harness h;
    h.form->SetStdConfigExecute();
    QVERIFY(!h.find<QAction>("StandardConfiguration")->isChecked());
    QCOMPARE(TIniFile(h.ini()).ReadString("General", "UseStdConfig", ""), std::string("0"));
    for (const char* name : {"Housing", "Processor", "RAM", "OS"})
        QCOMPARE(CheckedRadio(h.find<QGroupBox>(name)), -1);
    for (const char* name : {"HMI", "Power", "Display", "HMICable"})
        QCOMPARE(h.find<QComboBox>(name)->currentIndex(), -1);
    QCOMPARE(h.find<QComboBox>("X1")->currentIndex(), 0);
    QVERIFY(h.find<QLabel>("LaStatus")->text().startsWith(QStringLiteral("Configuration is not complete.")));
    QVERIFY(!h.find<QPushButton>("BtnShowOrderlist")->isEnabled());

    h.form->SetStdConfigExecute();
    QCOMPARE(CheckedRadio(h.find<QGroupBox>("RAM")), 0);
    QCOMPARE(h.find<QComboBox>("HMICable")->currentIndex(), 0);
    QVERIFY(h.find<QPushButton>("BtnShowOrderlist")->isEnabled());
}

void TForm1Test::missingCatalogueEndsWithCode1() {
    Harness h(std::nullopt);
    QCOMPARE(h.exitCodes, std::vector<int>{1});
    QCOMPARE(h.presenter.shown.size(), std::size_t(1));
    QCOMPARE(h.presenter.shown[0].kind, Message::Kind::Error);
    QCOMPARE(h.presenter.shown[0].buttons, Message::Buttons::Ok);
    QCOMPARE(h.presenter.shown[0].text, std::string("Configuration file KITBUILDER.INI not found.\n"
                                                    "Must be located in same directory as KITBUILDER.EXE !\n"
                                                    "Cannot run program."));
    QVERIFY(!h.form->started());
    QVERIFY(!h.form->isVisible());
}

void TForm1Test::badPriceEndsWithCode3() {
    Harness h(CatalogueText(), PriceText("R1"));
    QCOMPARE(h.exitCodes, std::vector<int>{3});
    QCOMPARE(h.presenter.shown.size(), std::size_t(1));
    QCOMPARE(h.presenter.shown[0].kind, Message::Kind::Error);
    QVERIFY(h.presenter.shown[0].text.rfind(
                "One or more prices have an illegal format.\nPossible reason is use of "
                "wrong decimal separator ('.' or',').\nPlease check price file "
                "KITBUILDER.PRS.\nCannot run program.",
                0) == 0);
    QVERIFY(!h.form->started());
}

void TForm1Test::loadWarningFollowsTheWindow() {
    std::string catalogue = CatalogueText();
    const std::string cables = "[HMICable]\n0=K1\n";
    catalogue.replace(catalogue.find(cables), cables.size(), cables + "1=NOPE\n");
    Harness h(catalogue);
    QVERIFY(h.form->started());
    QVERIFY(h.presenter.shown.empty());
    h.show();
    QTRY_COMPARE(h.presenter.shown.size(), std::size_t(1));
    QCOMPARE(h.presenter.shown[0].kind, Message::Kind::Warning);
    QVERIFY(h.presenter.shown[0].text.find("NOPE") != std::string::npos);
}

void TForm1Test::titleNamesCustomerAndFile() {
    Harness h;
    QCOMPARE(h.form->windowTitle(),
             QStringLiteral("VK72 Configuration Tool 2.0 [Customer: ----] [File: ----]"));

    const std::string saved = h.file("order.CST");
    FileDialogs::setNextFileName(PathToQ(saved));
    h.find<QAction>("FileSaveAs")->trigger();
    QCOMPARE(FileDialogs::lastRequest().filter, QStringLiteral("HALCYON KitBuilder Customer File (*.CST)"));
    QCOMPARE(FileDialogs::lastRequest().defaultSuffix, QStringLiteral("CST"));
    QVERIFY(h.presenter.shown.empty());
    QCOMPARE(h.form->windowTitle(),
             QStringLiteral("VK72 Configuration Tool 2.0 [Customer: ----] [File: order.CST]"));
    const std::string code = TIniFile(saved).ReadString("Data", "Code", "");
    QCOMPARE(code.substr(0, 5), std::string("VK72-"));

    const std::string other = h.write("smith.CST", "[Data]\nName1=Smith\nCode=" + code + "\n");
    FileDialogs::setNextFileName(PathToQ(other));
    h.find<QAction>("FileOpen")->trigger();
    QCOMPARE(h.form->windowTitle(),
             QStringLiteral("VK72 Configuration Tool 2.0 [Customer: Smith] [File: smith.CST]"));
}

void TForm1Test::customerFileFromTheCommandLine() {
    // A name from the command line, present or not, gives what File Open gives for it.
    Harness fromArgument;
    Harness fromDialog;
    const std::string jones = fromArgument.write("jones.CST", "[Data]\nName1=Jones\n");
    for (const std::string& name : {fromArgument.file("gone.CST"), jones}) {
        fromArgument.form->OpenCustomerFile(PathToQ(name));
        FileDialogs::setNextFileName(PathToQ(name));
        fromDialog.find<QAction>("FileOpen")->trigger();
        QCOMPARE(fromArgument.form->windowTitle(), fromDialog.form->windowTitle());
        QCOMPARE(fromArgument.presenter.shown.size(), fromDialog.presenter.shown.size());
    }
    QCOMPARE(fromArgument.form->windowTitle(),
             QStringLiteral("VK72 Configuration Tool 2.0 [Customer: Jones] [File: jones.CST]"));
}

void TForm1Test::saveAsCancelledWritesNothing() {
    Harness h;
    FileDialogs::setNextFileName(QString());
    h.find<QAction>("FileSaveAs")->trigger();
    QVERIFY(h.core().customerFile().empty());
    QVERIFY(h.presenter.shown.empty());
    QVERIFY(h.form->windowTitle().endsWith(QStringLiteral("[File: ----]")));
}

void TForm1Test::commandsShowTheirWindows_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("window");
    QTest::newRow("about") << QStringLiteral("HelpAbout") << QStringLiteral("AboutBox");
    QTest::newRow("new version") << QStringLiteral("Newinthisversion1") << QStringLiteral("NewVersionBox");
    QTest::newRow("ID code") << QStringLiteral("EnterIDCode1") << QStringLiteral("FoIDCode");
    QTest::newRow("customer") << QStringLiteral("BtnCustomer") << QStringLiteral("FoCustomer");
}

void TForm1Test::commandsShowTheirWindows() {
    QFETCH(QString, command);
    QFETCH(QString, window);
    Harness h;
    h.show();
    QObject* control = h.form->findChild<QObject*>(command);
    QVERIFY(control);
    if (auto* action = qobject_cast<QAction*>(control))
        action->trigger();
    else
        UserClick(qobject_cast<QAbstractButton*>(control));
    QCOMPARE(h.modals.size(), std::size_t(1));
    QCOMPARE(h.modals[0]->objectName(), window);
}

void TForm1Test::showOrderListRefusesAFailingConfiguration() {
    Harness h;
    h.show();
    auto* button = h.find<QPushButton>("BtnShowOrderlist");
    QVERIFY(button->isEnabled());
    // A rule added to the catalogue after the last check: the button is still enabled,
    // the command checks again and refuses.
    QVERIFY(TIniFile(h.ini()).WriteString("Exclude_List", "H1", "C1"));
    UserClick(button);
    QVERIFY(h.modals.empty());
    QCOMPARE(h.presenter.shown.size(), std::size_t(1));
    QCOMPARE(h.presenter.shown[0].kind, Message::Kind::Information);
    QCOMPARE(h.presenter.shown[0].text, std::string("Combination of Housing A and CPU A is not allowed!"));
    QCOMPARE(h.find<QLabel>("LaStatus")->text(),
             QStringLiteral("Combination of Housing A and CPU A is not allowed!"));
    QVERIFY(!button->isEnabled());
    QVERIFY(h.core().customer()[CustomerRecord::Code].empty());
}

void TForm1Test::showOrderListBuildsAndShowsTheList() {
    Harness h;
    h.show();
    UserClick(h.find<QPushButton>("BtnShowOrderlist"));
    QVERIFY2(h.presenter.shown.empty(), h.presenter.shown.empty() ? "" : h.presenter.shown[0].text.c_str());
    QCOMPARE(h.modals.size(), std::size_t(1));
    QCOMPARE(h.modals[0], static_cast<QDialog*>(h.form->FoOrderlist()));
    QCOMPARE(h.core().customer()[CustomerRecord::Code].substr(0, 5), std::string("VK72-"));
}

void TForm1Test::exitClosesTheWindow() {
    Harness h;
    h.show();
    UserClick(h.find<QPushButton>("BitBtn1"));
    QVERIFY(!h.form->isVisible());
}

void TForm1Test::menusHaveAltKeysAndStandardShortcuts() {
    Harness h;
    // Every item of every menu has an Alt letter, unique within its menu.
    const std::function<void(const QList<QAction*>&, const QString&)> checkMenu =
        [&](const QList<QAction*>& actions, const QString& where) {
            QStringList letters;
            for (QAction* action : actions) {
                if (action->isSeparator())
                    continue;
                const QString text = action->text();
                const qsizetype amp = text.indexOf(QLatin1Char('&'));
                QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(where + QStringLiteral(": ") + text));
                const QString letter = text.mid(amp + 1, 1).toLower();
                QVERIFY2(!letters.contains(letter), qPrintable(where + QStringLiteral(": ") + text));
                letters.append(letter);
                if (QMenu* sub = action->menu())
                    checkMenu(sub->actions(), text);
            }
        };
    checkMenu(h.find<QMenuBar>("MainMenu1")->actions(), QStringLiteral("menu bar"));

    QCOMPARE(h.find<QAction>("FileSaveAs")->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    // Typing in the language box, Ctrl+Shift+S saves as rather than typing.
    h.show();
    h.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    QLineEdit* language = h.find<QComboBox>("OSLanguage")->lineEdit();
    language->setFocus();
    const QString before = language->text();
    QSignalSpy saveAs(h.find<QAction>("FileSaveAs"), &QAction::triggered);
    FileDialogs::setNextFileName(QString());
    QTest::keyClick(language, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(saveAs.count(), 1);
    QCOMPARE(language->text(), before);
}

void TForm1Test::cutEntriesShowAnEllipsisAndATooltip() {
    Harness h;
    h.show();
    QComboBox* x1 = h.find<QComboBox>("X1");
    const auto tooltip = [&]() {
        QHelpEvent event(QEvent::ToolTip, QPoint(4, 4), x1->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(x1, &event);
        return x1->toolTip();
    };
    UserChoose(x1, 1);
    QCOMPARE(tooltip(), QString());
    const QString longText =
        QStringLiteral("Serial interface RS232, galvanically isolated, with a 9-pin plug "
                       "and a cable of five metres");
    {
        const QSignalBlocker blocker(x1);
        x1->setItemText(1, longText);
    }
    QVERIFY(x1->fontMetrics().horizontalAdvance(longText) > x1->width());
    QCOMPARE(tooltip(), longText);
    UserChoose(x1, 0);
    QCOMPARE(tooltip(), QString());
}

void TForm1Test::everyWindowUsesTheWindowFamily() {
    Harness h;
    const QString family = QFontInfo(h.form->font()).family();
    QCOMPARE(QFontInfo(QApplication::font()).family(), family);
    const std::vector<QWidget*> windows{h.form->AboutBox(), h.form->NewVersionBox(), h.form->FoCustomer(),
                                        h.form->FoIDCode(), h.form->FoOrderlist()};
    for (QWidget* window : windows) {
        QCOMPARE(QFontInfo(window->font()).family(), family);
        // The order list's grid is set in the narrow family of the printed list.
        const QWidget* grid = window->findChild<QWidget*>(QStringLiteral("Tab1"));
        for (QWidget* child : window->findChildren<QWidget*>()) {
            if (grid && (child == grid || grid->isAncestorOf(child)))
                continue;
            QVERIFY2(QFontInfo(child->font()).family() == family,
                     qPrintable(window->objectName() + QLatin1Char('/') + child->objectName()));
        }
    }
    const auto box = CreateMessageBox(Message::Error("Cannot write \"x\""), h.form.get());
    for (QWidget* child : box->findChildren<QWidget*>())
        QCOMPARE(QFontInfo(child->font()).family(), family);
}

void TForm1Test::undoAndRedoKeysWinInTheLanguageBox() {
    Harness h;
    h.show();
    h.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(h.form.get()));
    auto* language = h.find<QComboBox>("OSLanguage");
    auto* undo = h.find<QAction>("EditUndo");
    auto* redo = h.find<QAction>("EditRedo");
    language->setFocus();
    QTRY_VERIFY(language->hasFocus());
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers) {
        QTest::keyClick(language, k, modifiers);
        return language->currentText();
    };
    // Nothing to undo: the box's own undo does not stand in.
    QCOMPARE(key(Qt::Key_Z, Qt::ControlModifier), QStringLiteral("german"));

    UserChoose(h.find<QComboBox>("X1"), 1);
    language->setFocus();
    language->lineEdit()->selectAll();
    QTest::keyClicks(language->lineEdit(), QStringLiteral("Klingon"));
    QVERIFY(undo->isEnabled());
    QVERIFY(!redo->isEnabled());

    // Each key takes a whole step of the program's undo, the typed language being one; the
    // box's text undo would have taken back a letter and cleared Redo.
    QCOMPARE(key(Qt::Key_Z, Qt::ControlModifier), QStringLiteral("german"));
    QCOMPARE(h.core().choice()[Group::OSLanguage], 0);
    QCOMPARE(h.core().choice()[Group::X1], 1);
    QVERIFY(redo->isEnabled());
    QCOMPARE(key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier), QStringLiteral("Klingon"));
    QCOMPARE(key(Qt::Key_Z, Qt::ControlModifier), QStringLiteral("german"));
    QCOMPARE(key(Qt::Key_Z, Qt::ControlModifier), QStringLiteral("german"));
    QCOMPARE(h.core().choice()[Group::X1], 0);
    QCOMPARE(key(Qt::Key_Y, Qt::ControlModifier), QStringLiteral("german"));
    QCOMPARE(h.core().choice()[Group::X1], 1);
    QCOMPARE(key(Qt::Key_Y, Qt::ControlModifier), QStringLiteral("Klingon"));
    QCOMPARE(h.core().configuration().Text(Group::OSLanguage), std::string("Klingon"));
    QVERIFY(!redo->isEnabled());
    QVERIFY(language->hasFocus());

    // The box's context menu offers the window's Undo and Redo, not its own.
    // The menu's own items go with it when it closes: only the first two are looked at later.
    QList<QAction*> firstTwo;
    int undos = -1;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            const QList<QAction*> offered = menu->actions();
            firstTwo = offered.mid(0, 2);
            undos = 0;
            for (const QAction* action : offered)
                undos += action->text().startsWith(QStringLiteral("&Undo"));
            menu->close();
        }
        shown = true;
    });
    emit language->lineEdit()->customContextMenuRequested(QPoint(2, 2));
    QTRY_VERIFY(shown);
    QCOMPARE(firstTwo, QList<QAction*>({undo, redo}));
    QCOMPARE(undos, 1);
}

void TForm1Test::recentOrdersInTheFileMenu() {
    // Order, limit and the list's file are the core's; here the menu and what choosing does.
    Harness h;
    auto* fileMenu = h.find<QMenu>("File1");
    const auto entries = [&] {
        emit fileMenu->aboutToShow();
        QStringList shown;
        for (const QAction* action : h.form->RecentOrders()->entries())
            shown.append(action->text() + QLatin1Char(' ') + action->toolTip());
        return shown;
    };
    QCOMPARE(entries(), QStringList());
    const std::string order = "[Data]\nName1=Ann\nCode=VK72-1111x-110Ax-00000-00000-S5x\n";
    const QString a = PathToQ(h.write("a.CST", order));
    const QString gone = PathToQ(h.write("gone.CST", order));
    h.form->OpenCustomerFile(a);
    h.form->OpenCustomerFile(gone);
    FileDialogs::setNextFileName(PathToQ(h.file("saved.CST")));
    h.find<QAction>("FileSaveAs")->trigger();
    QVERIFY(h.presenter.shown.empty());
    QCOMPARE(entries(),
             QStringList({QStringLiteral("&1 saved.CST ") + PathToQ(h.file("saved.CST")),
                          QStringLiteral("&2 gone.CST ") + gone, QStringLiteral("&3 a.CST ") + a}));
    // Above Exit, below a separator of their own.
    const QList<QAction*> items = fileMenu->actions();
    QCOMPARE(items.indexOf(h.form->RecentOrders()->entries().front()), 5);
    QVERIFY(items[4]->isSeparator());
    QCOMPARE(items.back(), h.find<QAction>("FileExit"));

    // An entry whose file is gone says so, comes off the list and changes nothing else.
    std::filesystem::remove(PathFromQ(gone));
    const QString title = h.form->windowTitle();
    h.form->RecentOrders()->entries()[1]->trigger();
    QCOMPARE(h.presenter.shown.size(), std::size_t(1));
    QVERIFY(h.presenter.shown[0].text.find("\"" + PathFromQ(gone) + "\" no longer exists") !=
            std::string::npos);
    QCOMPARE(h.form->windowTitle(), title);
    QCOMPARE(entries().size(), 2);

    // Choosing one opens it as File Open does.
    h.form->RecentOrders()->entries()[1]->trigger();
    QCOMPARE(h.core().customerFile(), PathFromQ(a));
    QCOMPARE(entries().front(), QStringLiteral("&1 a.CST ") + a);
}

QTEST_MAIN(TForm1Test)
#include "TForm1_test.moc"
