#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolTip>

#include "SampleWindows.h"
#include "SmallCatalogue.h"
#include "core/customer/Recheck.h"
#include "gui/recheck/RecheckModel.h"
#include "gui/recheck/RecheckTable.h"
#include "gui/recheck/TFoRecheck.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

constexpr const char* kValid = "VK72-1111x-110Ax-00000-00000-M3x";
constexpr const char* kChanged = "VK72-1111x-110Ax-Z0000-00000-M3x";
constexpr const char* kInvalid = "VK72-1911x-110Ax-00000-00000-M3x";

// A folder of orders with one of each verdict, in the sample catalogue's folder.
QString WriteOrders(SampleWindows& w) {
    std::filesystem::create_directory(w.folder() / "orders");
    w.write("orders/b-changed.CST", CustomerFileText("Bolt Inc", "Bob", kChanged));
    w.write("orders/a-valid.CST", CustomerFileText("Acme Ltd", "Ann", kValid));
    w.write("orders/c-invalid.cst", CustomerFileText("Cog AG", "Cy", kInvalid));
    w.write("orders/d-empty.CST", "");
    w.write("orders/readme.txt", "not an order");
    return PathToQ((w.folder() / "orders").string());
}

TFoRecheck* OpenFromMenu(SampleWindows& w) {
    QAction* action = w.inForm<QAction>("CheckSavedOrders1");
    action->trigger();
    TFoRecheck* window = w.form->FoRecheck();
    if (!window)
        qFatal("the menu item made no window");
    return window;
}

void CheckAndWait(TFoRecheck* window, const QString& folder) {
    // The run that opening the window started ends first.
    QTRY_VERIFY(!window->running());
    window->setFolder(folder);
    QSignalSpy ended(window, &TFoRecheck::checkEnded);
    window->findChild<QPushButton*>(QStringLiteral("BtnCheck"))->click();
    QTRY_VERIFY(!window->running());
    QCOMPARE(ended.size(), 1);
}

QString Cell(TFoRecheck* window, int row, int column, int role = Qt::DisplayRole) {
    return window->table()->model()->index(row, column).data(role).toString();
}

} // namespace

class TFoRecheckTest : public QObject {
    Q_OBJECT

  private slots:
    void menuOpensANonModalWindow();
    void tableShowsEveryVerdict();
    void sortsByAnyColumnAndCopies();
    void openLoadsTheOrderAsFileOpenDoes();
    void browseChoosesAndChecks();
    void cancelStopsAtOnce();
    void fitsTheScreenAndKeepsItsLayoutPerUser();
    void codesShowWholeAndCutTextHasATooltip();
};

void TFoRecheckTest::menuOpensANonModalWindow() {
    SampleWindows w;
    QAction* action = w.inForm<QAction>("CheckSavedOrders1");
    QCOMPARE(action->text(), QStringLiteral("Check Saved &Orders..."));
    QVERIFY(w.inForm<QMenu>("Extra1")->actions().contains(action));
    QVERIFY(!w.form->findChild<TFoRecheck*>());

    TFoRecheck* window = OpenFromMenu(w);
    QVERIFY(window->isVisible());
    QVERIFY(window->isWindow());
    QCOMPARE(window->windowModality(), Qt::NonModal);
    QCOMPARE(window->windowTitle(), QStringLiteral("Check Saved Orders"));
    // No customer file yet: the working folder, checked at once.
    QCOMPARE(window->folder(), QDir::toNativeSeparators(QDir::currentPath()));
    QTRY_VERIFY(!window->running());
    QVERIFY(w.presenter.shown.empty());
    // The main window still takes input while it is open.
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    window->close();

    // With an order open, its folder.
    const QString folder = WriteOrders(w);
    w.core().OpenCustomerFile(PathFromQ(folder) + "/a-valid.CST");
    QCOMPARE(OpenFromMenu(w), window);
    QCOMPARE(window->folder(), QDir::toNativeSeparators(folder));
    QTRY_VERIFY(!window->running());
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("LaCounts"))->text(),
             QStringLiteral("4 orders: 1 valid, 1 changed, 1 invalid, 1 unreadable"));

    window->setFolder(folder + QStringLiteral("/none"));
    window->BtnCheckClick();
    QVERIFY(!window->running());
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("LaCounts"))->text(),
             QStringLiteral("\"%1/none\" is not a folder.").arg(QDir::toNativeSeparators(folder)));
    QCOMPARE(window->table()->model()->rowCount(), 0);
}

void TFoRecheckTest::tableShowsEveryVerdict() {
    SampleWindows w;
    const QString folder = WriteOrders(w);
    TFoRecheck* window = OpenFromMenu(w);
    CheckAndWait(window, folder);
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("LaCounts"))->text(),
             QStringLiteral("4 orders: 1 valid, 1 changed, 1 invalid, 1 unreadable"));
    QVERIFY(window->findChild<QProgressBar*>(QStringLiteral("Progress"))->isHidden());
    QVERIFY(window->findChild<QPushButton*>(QStringLiteral("BtnCancel"))->isHidden());

    QAbstractItemModel* table = window->table()->model();
    QCOMPARE(table->rowCount(), 4);
    QStringList headers;
    for (int c = 0; c < table->columnCount(); ++c)
        headers.append(table->headerData(c, Qt::Horizontal).toString());
    QCOMPARE(headers,
             QStringList({QStringLiteral("File"), QStringLiteral("Verdict"), QStringLiteral("Company1"),
                          QStringLiteral("Name1"), QStringLiteral("Stored Code"), QStringLiteral("Code Now"),
                          QStringLiteral("Result"), QStringLiteral("Status"), QStringLiteral("Price"),
                          QStringLiteral("Currency")}));
    // Sorted by file name at first.
    const QStringList verdicts{QStringLiteral("valid"), QStringLiteral("changed"), QStringLiteral("invalid"),
                               QStringLiteral("unreadable")};
    const std::array<RecheckVerdict, 4> kinds{RecheckVerdict::Valid, RecheckVerdict::Changed,
                                              RecheckVerdict::Invalid, RecheckVerdict::Unreadable};
    for (int row = 0; row < 4; ++row) {
        const QModelIndex verdict = table->index(row, RecheckModel::Column::Verdict);
        QCOMPARE(verdict.data().toString(), verdicts[row]);
        QCOMPARE(verdict.data(Qt::ForegroundRole).value<QBrush>().color(), VerdictColor(kinds[row]));
        QVERIFY(!verdict.data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(!verdict.data(Qt::ToolTipRole).toString().isEmpty());
    }
    QCOMPARE(Cell(window, 0, RecheckModel::Column::File), QStringLiteral("a-valid.CST"));
    QCOMPARE(Cell(window, 0, RecheckModel::Column::File, Qt::ToolTipRole),
             folder + QStringLiteral("/a-valid.CST"));
    QCOMPARE(Cell(window, 1, RecheckModel::Column::Company1), QStringLiteral("Bolt Inc"));
    QCOMPARE(Cell(window, 1, RecheckModel::Column::StoredCode), QLatin1String(kChanged));
    QCOMPARE(Cell(window, 1, RecheckModel::Column::CodeNow), QLatin1String(kValid));
    QVERIFY(Cell(window, 1, RecheckModel::Column::Verdict, Qt::ToolTipRole).contains(QStringLiteral("X1")));
    QCOMPARE(Cell(window, 2, RecheckModel::Column::Result), QStringLiteral("1"));
    QCOMPARE(Cell(window, 2, RecheckModel::Column::CodeNow), QString());
    QCOMPARE(Cell(window, 0, RecheckModel::Column::Currency), QLatin1String("EUR"));
    QVERIFY(Cell(window, 3, RecheckModel::Column::Status).contains(QStringLiteral("holds no ID code")));
}

void TFoRecheckTest::sortsByAnyColumnAndCopies() {
    SampleWindows w;
    const QString folder = WriteOrders(w);
    TFoRecheck* window = OpenFromMenu(w);
    CheckAndWait(window, folder);
    QHeaderView* header = window->table()->horizontalHeader();
    QVERIFY(window->table()->isSortingEnabled());

    header->setSortIndicator(RecheckModel::Column::Company1, Qt::DescendingOrder);
    QCOMPARE(Cell(window, 0, RecheckModel::Column::Company1), QStringLiteral("Cog AG"));
    QCOMPARE(Cell(window, 3, RecheckModel::Column::Company1), QString());
    header->setSortIndicator(RecheckModel::Column::Verdict, Qt::DescendingOrder);
    QCOMPARE(Cell(window, 0, RecheckModel::Column::Verdict), QStringLiteral("unreadable"));
    QCOMPARE(Cell(window, 3, RecheckModel::Column::Verdict), QStringLiteral("valid"));
    // Prices as numbers: the order without one first.
    header->setSortIndicator(RecheckModel::Column::Price, Qt::AscendingOrder);
    QCOMPARE(Cell(window, 0, RecheckModel::Column::Price), QString());
    QVERIFY(Cell(window, 3, RecheckModel::Column::Price).toDouble() >=
            Cell(window, 2, RecheckModel::Column::Price).toDouble());

    header->setSortIndicator(RecheckModel::Column::File, Qt::DescendingOrder);
    QApplication::clipboard()->clear();
    window->findChild<QPushButton*>(QStringLiteral("BtnCopy"))->click();
    const QStringList lines = QApplication::clipboard()->text().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 6); // the column names, four orders, and the end of the last line
    QCOMPARE(lines[0],
             QStringLiteral("File\tVerdict\tCompany1\tName1\tStored Code\tCode Now\tResult\tStatus\tPrice\t"
                            "Currency"));
    QCOMPARE(lines[1],
             folder + QStringLiteral("/d-empty.CST\tunreadable\t\t\t\t\t\t\"") + folder +
                 QStringLiteral("/d-empty.CST\" holds no ID code (key Code of section [Data])\t\t"));
    QVERIFY(lines[4].startsWith(folder + QStringLiteral("/a-valid.CST\tvalid\tAcme Ltd\tAnn\t") +
                                QLatin1String(kValid) + QLatin1Char('\t') + QLatin1String(kValid) +
                                QStringLiteral("\t0\tSelected configuration has no errors.\t")));
    QVERIFY(lines[4].endsWith(QStringLiteral("\tEUR")));
    QCOMPARE(lines[5], QString());
}

void TFoRecheckTest::openLoadsTheOrderAsFileOpenDoes() {
    SampleWindows w;
    const QString folder = WriteOrders(w);
    TFoRecheck* window = OpenFromMenu(w);
    CheckAndWait(window, folder);
    QPushButton* open = window->findChild<QPushButton*>(QStringLiteral("BtnOpen"));
    QVERIFY(!open->isEnabled());

    // What File Open of the same file leaves, on a window of its own.
    SampleWindows reference;
    reference.core().OpenCustomerFile(PathFromQ(folder) + "/b-changed.CST");

    window->table()->selectRow(1);
    QVERIFY(open->isEnabled());
    open->click();
    QCOMPARE(PathToQ(w.core().customerFile()), folder + QStringLiteral("/b-changed.CST"));
    QCOMPARE(w.core().customer()[CustomerRecord::Company1], std::string("Bolt Inc"));
    QVERIFY(w.core().choice() == reference.core().choice());
    QCOMPARE(w.core().statusText(), reference.core().statusText());
    QVERIFY(w.form->windowTitle().contains(QStringLiteral("b-changed.CST")));

    // Double-click opens too; the unreadable row cannot be opened.
    QTableView* table = window->table();
    const QRect cell = table->visualRect(table->model()->index(2, RecheckModel::Column::Company1));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(PathToQ(w.core().customerFile()), folder + QStringLiteral("/c-invalid.cst"));
    table->selectRow(3);
    QVERIFY(!open->isEnabled());
    QVERIFY(w.presenter.shown.empty());
}

void TFoRecheckTest::browseChoosesAndChecks() {
    SampleWindows w;
    const QString folder = WriteOrders(w);
    TFoRecheck* window = OpenFromMenu(w);
    QTRY_VERIFY(!window->running());
    QString asked;
    window->setFolderChooser([&](QWidget*, const QString& start) {
        asked = start;
        return QString();
    });
    const QString before = window->folder();
    window->findChild<QPushButton*>(QStringLiteral("BtnBrowse"))->click();
    QCOMPARE(asked, before);
    QCOMPARE(window->folder(), before);

    window->setFolderChooser([&](QWidget*, const QString&) { return folder; });
    QSignalSpy ended(window, &TFoRecheck::checkEnded);
    window->findChild<QPushButton*>(QStringLiteral("BtnBrowse"))->click();
    QCOMPARE(window->folder(), QDir::toNativeSeparators(folder));
    QTRY_COMPARE(ended.size(), 1);
    QCOMPARE(window->table()->model()->rowCount(), 4);
}

void TFoRecheckTest::cancelStopsAtOnce() {
    SampleWindows w;
    std::filesystem::create_directory(w.folder() / "many");
    const std::string order = CustomerFileText("Acme Ltd", "Ann", kValid);
    constexpr int kFiles = 3000;
    for (int i = 0; i < kFiles; ++i)
        w.write("many/order" + std::to_string(i) + ".CST", order);
    TFoRecheck* window = OpenFromMenu(w);
    QTRY_VERIFY(!window->running());
    window->setFolder(PathToQ((w.folder() / "many").string()));
    QSignalSpy ended(window, &TFoRecheck::checkEnded);
    window->BtnCheckClick();
    QVERIFY(window->running());
    QVERIFY(window->findChild<QProgressBar*>(QStringLiteral("Progress"))->isVisible());
    QPushButton* cancel = window->findChild<QPushButton*>(QStringLiteral("BtnCancel"));
    QVERIFY(cancel->isVisible());

    cancel->click();
    // The window has answered before the click returns.
    QVERIFY(!window->running());
    QCOMPARE(ended.size(), 1);
    QVERIFY(cancel->isHidden());
    QVERIFY(window->findChild<QLabel*>(QStringLiteral("LaCounts"))
                ->text()
                .startsWith(QStringLiteral("Cancelled: ")));
    const int rows = window->table()->model()->rowCount();
    QVERIFY(rows < kFiles);
    // Nothing of the cancelled run arrives afterwards; a new run checks everything.
    QTest::qWait(100);
    QCOMPARE(window->table()->model()->rowCount(), rows);
    window->BtnCheckClick();
    QTRY_COMPARE(ended.size(), 2);
    QCOMPARE(window->table()->model()->rowCount(), kFiles);
    QCOMPARE(window->findChild<QLabel*>(QStringLiteral("LaCounts"))->text(),
             QStringLiteral("3000 orders: 3000 valid, 0 changed, 0 invalid"));
}

void TFoRecheckTest::fitsTheScreenAndKeepsItsLayoutPerUser() {
    SampleWindows w;
    const QString folder = WriteOrders(w);
    const std::string settings = w.file("user/settings.ini");
    const auto opened = [&] {
        auto* window = new TFoRecheck(w.core(), w.presenter, w.form.get());
        window->setSettingsFile(settings);
        window->Open();
        CheckAndWait(window, folder);
        return window;
    };

    // The default size within the screen, wherever the screen is smaller.
    TFoRecheck* first = opened();
    const QRect screen = first->screen()->availableGeometry();
    QVERIFY(screen.contains(first->frameGeometry()));
    QVERIFY(first->width() >= std::min(1300, screen.width() - 40));
    // Smaller than its controls want, the window scrolls rather than hiding them.
    QVERIFY(first->findChild<QScrollArea*>(QStringLiteral("Scroll")));
    QVERIFY(first->minimumSizeHint().width() < 200);
    QVERIFY(first->minimumSizeHint().height() < 200);

    first->resize(700, 400);
    first->table()->setColumnWidth(RecheckModel::Column::Company1, 77);
    first->table()->setColumnWidth(RecheckModel::Column::StoredCode, 50);
    first->close();
    delete first;

    // The next opening, in this run or the next, comes back as it was left; a code is never cut.
    TFoRecheck* second = opened();
    QCOMPARE(second->size(), QSize(700, 400));
    QCOMPARE(second->table()->columnWidth(RecheckModel::Column::Company1), 77);
    QCOMPARE(second->table()->columnWidth(RecheckModel::Column::StoredCode),
             second->table()->columnWidth(RecheckModel::Column::CodeNow));
    delete second;

    // On any screen: as large as wanted where it fits, never larger than the screen.
    const QMargins frame(4, 30, 4, 4);
    QCOMPARE(FittedGeometry({1300, 520}, {0, 0, 1280, 1024}, frame), QRect(4, 30 + 235, 1272, 520));
    QCOMPARE(FittedGeometry({1300, 520}, {0, 0, 1024, 768}, frame), QRect(4, 30 + 107, 1016, 520));
    QCOMPARE(FittedGeometry({1300, 520}, {100, 0, 320, 240}, frame), QRect(104, 30, 312, 206));
    QCOMPARE(FittedColumnWidths({150, 100, 130}, {true, false, true}, 1000, 60),
             (std::vector<int>{150, 100, 130}));
    QCOMPARE(FittedColumnWidths({150, 100, 130}, {true, false, true}, 200, 60),
             (std::vector<int>{60, 100, 60}));
    QCOMPARE(FittedColumnWidths({200, 100, 200}, {true, false, true}, 400, 60),
             (std::vector<int>{150, 100, 150}));
}

void TFoRecheckTest::codesShowWholeAndCutTextHasATooltip() {
    SampleWindows w;
    const QString folder = WriteOrders(w);
    w.write("orders/e-long.CST",
            CustomerFileText("Acme Industrial Automation Holdings International Ltd", "Annabelle", kChanged));
    TFoRecheck* window = OpenFromMenu(w);
    CheckAndWait(window, folder);
    QTableView* table = window->table();
    auto* delegate = qobject_cast<RecheckDelegate*>(table->itemDelegate());
    QVERIFY(delegate);
    const auto shown = [&](int row, int column) {
        QStyleOptionViewItem option;
        option.initFrom(table);
        option.rect = table->visualRect(table->model()->index(row, column));
        option.font = table->font();
        option.fontMetrics = table->fontMetrics();
        option.widget = table;
        return delegate->ShownText(option, table->model()->index(row, column));
    };
    for (int row = 0; row < table->model()->rowCount(); ++row)
        for (int column : {RecheckModel::Column::StoredCode, RecheckModel::Column::CodeNow})
            QCOMPARE(shown(row, column), Cell(window, row, column));

    // A cut company shows whole as the tooltip; one that fits has none.
    const QModelIndex company = table->model()->index(4, RecheckModel::Column::Company1);
    QVERIFY(shown(4, RecheckModel::Column::Company1) != company.data().toString());
    const auto tooltip = [&](const QModelIndex& index) {
        QToolTip::hideText();
        // A tooltip fades out rather than going at once.
        if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
            return QStringLiteral("(an earlier tooltip stayed)");
        const QPoint at = table->visualRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, table->viewport()->mapToGlobal(at));
        QApplication::sendEvent(table->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tooltip(company), company.data().toString());
    QCOMPARE(tooltip(table->model()->index(0, RecheckModel::Column::Company1)), QString());

    // A code in a column the user made narrow: cut in the middle, both ends kept.
    table->setColumnWidth(RecheckModel::Column::CodeNow, 120);
    const QString cut = shown(1, RecheckModel::Column::CodeNow);
    QVERIFY(cut.startsWith(QStringLiteral("VK72")));
    QVERIFY(cut.endsWith(QStringLiteral("M3x")));
    QVERIFY(cut.contains(QChar(0x2026)));
    QCOMPARE(tooltip(table->model()->index(1, RecheckModel::Column::CodeNow)), QLatin1String(kValid));

    // The places where the codes differ, letters compared as capitals.
    QCOMPARE(DifferingPlaces(QStringLiteral("VK72-1111x-C0"), QStringLiteral("vk72-1111X-00")),
             QList<bool>(
                 {false, false, false, false, false, false, false, false, false, false, false, true, false}));
    QCOMPARE(DifferingPlaces(QStringLiteral("VK72-11"), QStringLiteral("VK72-1")),
             QList<bool>({false, false, false, false, false, false, true}));
    QCOMPARE(DifferingPlaces(QStringLiteral("VK72-11"), QString()), QList<bool>(7, false));
}

QTEST_MAIN(TFoRecheckTest)
#include "TFoRecheck_test.moc"
