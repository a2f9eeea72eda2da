#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "SampleWindows.h"
#include "app/ui/FileDialogs.h"
#include "app/ui/QtText.h"

namespace {

QTableWidget* Tab1() {
    return FoOrderlist->findChild<QTableWidget*>(QStringLiteral("Tab1"));
}

QPushButton* Button(const char* name) {
    return FoOrderlist->findChild<QPushButton*>(QLatin1String(name));
}

// The table as shown: the heading, then every row, cells joined by "|".
QStringList Shown(QTableWidget* table) {
    QStringList rows;
    QStringList heading;
    for (int c = 0; c < table->columnCount(); ++c)
        heading.append(table->horizontalHeaderItem(c)->text());
    rows.append(heading.join(QLatin1Char('|')));
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells.append(table->item(r, c)->text());
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

QStringList Composed(const OrderList& list) {
    QStringList rows;
    for (const OrderListRow& row : list.rows) {
        QStringList cells;
        for (const std::string& cell : row)
            cells.append(ToQ(cell));
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows;
}

QByteArray Bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// Opens the order list with the main window's button and runs the script while it is shown.
void ShowOrderList(SampleWindows& w, SampleWindows::Script script = {}) {
    w.whileOpen(std::move(script));
    QTest::mouseClick(w.inForm<QPushButton>("BtnShowOrderlist"), Qt::LeftButton);
}

} // namespace

class TFoOrderlistTest : public QObject {
    Q_OBJECT

  private slots:
    void showOrderListFillsTab1();
    void windowIsPlacedFromTheList();
    void saveWithoutCustomerFileNamesIt();
    void saveWithCustomerFileKeepsIt();
    void saveCancelledWritesNothing();
    void saveFailureAdoptsNothing();
    void clipboardCarriesRichAndPlainText();
    void printWritesOneTitledJob();
    void printCancelledPrintsNothing();
    void printFailureIsReported();
};

void TFoOrderlistTest::showOrderListFillsTab1() {
    SampleWindows w;
    QStringList shown;
    ShowOrderList(w, [&](QDialog&) { shown = Shown(Tab1()); });
    QVERIFY(w.presenter.shown.empty());
    QCOMPARE(w.modals, std::vector<QDialog*>{FoOrderlist});
    const OrderListBuild build = w.core().BuildOrderlist();
    QVERIFY(build.ok);
    QCOMPARE(shown, Composed(build.list));
    QCOMPARE(shown[0], QStringLiteral("Order Number|Type|Description|Price EN (EUR)|Pos."));
    QCOMPARE(shown[1], QStringLiteral("72110201|ZO-HW-ST|Wall housing, powder-coated steel|420|"));
    QVERIFY(shown.contains(QStringLiteral("|ID-Code:|VK72-1111x-110Ax-00000-00000-M3x||")));
    QCOMPARE(FoOrderlist->richText(), build.list.rtf);
    QCOMPARE(FoOrderlist->plainText(), build.list.PlainText());

    // Shown again after a change, the window holds the new list and nothing of the old one.
    QTest::keyClick(w.inForm<QComboBox>("X3"), Qt::Key_Down);
    ShowOrderList(w, [&](QDialog&) { shown = Shown(Tab1()); });
    const OrderListBuild rebuilt = w.core().BuildOrderlist();
    QCOMPARE(shown, Composed(rebuilt.list));
    QVERIFY(shown.contains(QStringLiteral("|ID-Code:|VK72-1111x-110Ax-00A00-00000-M3x||")));
    QCOMPARE(FoOrderlist->richText(), rebuilt.list.rtf);
}

void TFoOrderlistTest::windowIsPlacedFromTheList() {
    SampleWindows w;
    ShowOrderList(w);
    QDialog& dialog = *FoOrderlist;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Orderlist"));
    QCOMPARE(dialog.minimumSize(), QSize(610, 714));
    QCOMPARE(dialog.maximumSize(), QSize(610, 714));
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));

    QTableWidget* table = Tab1();
    QCOMPARE(table->geometry(), QRect(10, 10, 582, 554));
    auto* bevel = dialog.findChild<QFrame*>(QStringLiteral("Bevel1"));
    QVERIFY(bevel && bevel != table);
    QCOMPARE(bevel->geometry(), QRect(10, 10, 583, 555));
    QCOMPARE(bevel->frameShadow(), QFrame::Raised);

    const std::array<std::pair<const char*, const char*>, 4> buttons{{{"PrintButton", "Print"},
                                                                      {"SaveButton", "Save To Disk"},
                                                                      {"ClipButton", "Copy to Clipboard"},
                                                                      {"BitBtn1", "Close"}}};
    const int lefts[] = {10, 143, 276, 471};
    for (std::size_t n = 0; n < buttons.size(); ++n) {
        QPushButton* button = Button(buttons[n].first);
        QVERIFY2(button, buttons[n].first);
        QCOMPARE(button->text(), QLatin1String(buttons[n].second));
        QCOMPARE(button->geometry(), QRect(lefts[n], 614, 123, 50));
    }

    const int widths[] = {100, 100, 220, 100, 37};
    QCOMPARE(table->columnCount(), 5);
    for (int c = 0; c < 5; ++c)
        QCOMPARE(table->columnWidth(c), widths[c]);
    QCOMPARE(table->rowHeight(0), 18);
    QCOMPARE(table->horizontalHeader()->height(), 18);
    QVERIFY(!table->verticalHeader()->isVisible());
    QCOMPARE(table->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(table->font().pixelSize(), 15);
    // 36 rows of 18 pixels do not fit: the list scrolls.
    QVERIFY(table->verticalScrollBar()->maximum() > 0);

    // The close button closes the window.
    w.whileOpen([](QDialog&) { QTest::mouseClick(Button("BitBtn1"), Qt::LeftButton); });
    QTest::mouseClick(w.inForm<QPushButton>("BtnShowOrderlist"), Qt::LeftButton);
    QCOMPARE(w.modals.size(), std::size_t(2));
    QCOMPARE(w.results.back(), int(QDialog::Rejected));

    // A list that needs more rows makes the table and the window taller.
    w.core().SetPCIChecked(true);
    for (int n = 1; n <= 10; ++n)
        w.core().SetListIndex(Slot(n), 1);
    const OrderListBuild longer = w.core().BuildOrderlist();
    QVERIFY(longer.ok);
    QVERIFY(longer.list.rows.size() > 37);
    FoOrderlist->ShowList(longer.list);
    const OrderListGeometry& g = longer.list.geometry;
    QCOMPARE(dialog.maximumSize(), QSize(610, g.windowHeight));
    QVERIFY(g.windowHeight > 714);
    QCOMPARE(table->geometry(), QRect(10, 10, 582, g.tableHeight));
    QCOMPARE(table->rowCount(), static_cast<int>(longer.list.rows.size()) - 1);
    QCOMPARE(Button("BitBtn1")->geometry(), QRect(471, g.buttonTop, 123, 50));
}

void TFoOrderlistTest::saveWithoutCustomerFileNamesIt() {
    SampleWindows w;
    const std::string target = w.file("order.rtf");
    QString titleWhileOpen;
    ShowOrderList(w, [&](QDialog&) {
        FileDialogs::setNextFileName(PathToQ(target));
        QTest::mouseClick(Button("SaveButton"), Qt::LeftButton);
        titleWhileOpen = w.form->windowTitle();
    });
    const FileDialogs::Request& request = FileDialogs::lastRequest();
    QCOMPARE(request.title, QStringLiteral("Save Orderlist"));
    QCOMPARE(request.filter, QStringLiteral("Rich Text Files (*.rtf)"));
    QCOMPARE(request.defaultSuffix, QStringLiteral("RTF"));
    QVERIFY(request.confirmOverwrite);
    QCOMPARE(request.proposedName, QStringLiteral(".rtf"));
    QVERIFY(w.presenter.shown.empty());

    QCOMPARE(ReadFileBytes(target), FoOrderlist->richText());
    QCOMPARE(w.core().customerFile(), w.file("order.CST"));
    // The title names the order at once, while the list is still open.
    QCOMPARE(titleWhileOpen,
             QStringLiteral("VK72 Configuration Tool 2.0 [Customer: ----] [File: order.CST]"));
    // Only the name: the customer file is written by File Save.
    QVERIFY(!std::filesystem::exists(w.file("order.CST")));
    const QString unused = PathToQ(w.file("unused.CST"));
    FileDialogs::setNextFileName(unused);
    w.inForm<QAction>("FileSave")->trigger();
    QCOMPARE(FileDialogs::GetOpenFileName(nullptr, {}), unused);
    QVERIFY(std::filesystem::exists(w.file("order.CST")));
}

void TFoOrderlistTest::saveWithCustomerFileKeepsIt() {
    SampleWindows w;
    const std::string customerFile = w.file("miller.CST");
    FileDialogs::setNextFileName(PathToQ(customerFile));
    w.inForm<QAction>("FileSaveAs")->trigger();
    QCOMPARE(w.core().customerFile(), customerFile);
    const QString title = w.form->windowTitle();

    std::filesystem::create_directory(w.folder() / "list");
    ShowOrderList(w, [&](QDialog&) {
        FileDialogs::setNextFileName(PathToQ(w.file("list/other.rtf")));
        QTest::mouseClick(Button("SaveButton"), Qt::LeftButton);
    });
    QCOMPARE(FileDialogs::lastRequest().proposedName, PathToQ(w.file("miller.rtf")));
    QCOMPARE(ReadFileBytes(w.file("list/other.rtf")), FoOrderlist->richText());
    QCOMPARE(w.core().customerFile(), customerFile);
    QCOMPARE(w.form->windowTitle(), title);
}

void TFoOrderlistTest::saveCancelledWritesNothing() {
    SampleWindows w;
    ShowOrderList(w, [&](QDialog& dialog) {
        FileDialogs::setNextFileName(QString());
        QTest::mouseClick(Button("SaveButton"), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
    });
    QVERIFY(w.presenter.shown.empty());
    QVERIFY(w.core().customerFile().empty());
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(w.folder()))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    QCOMPARE(files, (std::vector<std::string>{"KITBUILDER.INI", "KITBUILDER.PRS"}));
    QVERIFY(w.form->windowTitle().endsWith(QStringLiteral("[File: ----]")));
}

void TFoOrderlistTest::saveFailureAdoptsNothing() {
    SampleWindows w;
    const std::string target = w.file("missing/order.rtf");
    ShowOrderList(w, [&](QDialog& dialog) {
        FileDialogs::setNextFileName(PathToQ(target));
        QTest::mouseClick(Button("SaveButton"), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
    });
    QCOMPARE(w.presenter.shown.size(), std::size_t(1));
    QCOMPARE(w.presenter.shown[0].kind, Message::Kind::Error);
    QVERIFY2(w.presenter.shown[0].text.find(target) != std::string::npos, w.presenter.shown[0].text.c_str());
    QVERIFY(!std::filesystem::exists(target));
    QVERIFY(w.core().customerFile().empty());
    QVERIFY(w.form->windowTitle().endsWith(QStringLiteral("[File: ----]")));
}

void TFoOrderlistTest::clipboardCarriesRichAndPlainText() {
    SampleWindows w;
    // Names beyond ASCII: Windows-1252 letters, and characters only Unicode has.
    CustomerRecord customer;
    customer[CustomerRecord::Name1] = "J\xC3\xBCrgen M\xC3\xBCller";
    customer[CustomerRecord::Name2] = "Dvo\xC5\x99\xC3\xA1k \xE2\x82\xAC \xC5\x81\xC3\xB3"
                                      "d\xC5\xBA \xE5\x8C\x97\xE4\xBA\xAC \xF0\x9F\x98\x80";
    w.core().StoreCustomerFields(customer);
    QGuiApplication::clipboard()->clear();
    ShowOrderList(w, [&](QDialog&) { QTest::mouseClick(Button("ClipButton"), Qt::LeftButton); });

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    const QByteArray rtf = Bytes(FoOrderlist->richText());
    QVERIFY(rtf.startsWith("{\\rtf"));
    QCOMPARE(data->data(QStringLiteral("text/rtf")), rtf);
    QCOMPARE(data->data(QStringLiteral("application/rtf")), rtf);
    const QString plain = data->text();
    QCOMPARE(plain, ToQ(FoOrderlist->plainText()));
    QVERIFY(plain.contains(QStringLiteral("\tName1\tJ\u00FCrgen M\u00FCller\t\t\t\n")));
    QVERIFY(plain.contains(QStringLiteral("\tName2\tDvo\u0159\u00e1k \u20ac \u0141\u00f3d\u017a \u5317\u4eac "
                                          "\U0001F600\t")));
    QVERIFY(rtf.contains("J\\'fcrgen M\\'fcller"));
    QVERIFY(
        rtf.contains("Dvo\\u345?\\'e1k \\'80 \\u321?\\'f3d\\u378? \\u21271?\\u20140? \\u-10179?\\u-8704?"));
    QCOMPARE(plain.count(QLatin1Char('\n')), Tab1()->rowCount() + 1);
}

void TFoOrderlistTest::printWritesOneTitledJob() {
    SampleWindows w;
    const QString pdf = PathToQ(w.file("orderlist.pdf"));
    QString docName;
    int dialogs = 0;
    bool parentOk = false;
    ShowOrderList(w, [&](QDialog&) {
        FoOrderlist->setPrintDialogRunner([&](QPrinter& printer, QWidget* parent) -> bool {
            ++dialogs;
            docName = printer.docName();
            parentOk = parent == FoOrderlist;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        QTest::mouseClick(Button("PrintButton"), Qt::LeftButton);
    });
    QVERIFY2(w.presenter.shown.empty(), w.presenter.shown.empty() ? "" : w.presenter.shown[0].text.c_str());
    QCOMPARE(dialogs, 1);
    QVERIFY(parentOk);
    QCOMPARE(docName, QStringLiteral("Orderlist"));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    // The job's title, as the PDF writer stores it: UTF-16, high byte first.
    QByteArray title("/Title (\xFE\xFF");
    for (char c : QByteArray("Orderlist"))
        title.append('\0').append(c);
    QVERIFY(bytes.contains(title));
    QVERIFY(bytes.contains("/Type /Page\n") || bytes.contains("/Type /Page "));
}

void TFoOrderlistTest::printCancelledPrintsNothing() {
    SampleWindows w;
    const QString pdf = PathToQ(w.file("orderlist.pdf"));
    ShowOrderList(w, [&](QDialog& dialog) {
        FoOrderlist->setPrintDialogRunner([&](QPrinter& printer, QWidget*) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return false;
        });
        QTest::mouseClick(Button("PrintButton"), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
    });
    QVERIFY(w.presenter.shown.empty());
    QVERIFY(!QFile::exists(pdf));
}

void TFoOrderlistTest::printFailureIsReported() {
    SampleWindows w;
    const QString pdf = PathToQ(w.file("missing/orderlist.pdf"));
    ShowOrderList(w, [&](QDialog& dialog) {
        FoOrderlist->setPrintDialogRunner([&](QPrinter& printer, QWidget*) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        QTest::mouseClick(Button("PrintButton"), Qt::LeftButton);
        QVERIFY(dialog.isVisible());
    });
    QCOMPARE(w.presenter.shown.size(), std::size_t(1));
    QCOMPARE(w.presenter.shown[0].kind, Message::Kind::Error);
    QVERIFY2(ToQ(w.presenter.shown[0].text).contains(pdf), w.presenter.shown[0].text.c_str());
}

QTEST_MAIN(TFoOrderlistTest)
#include "TFoOrderlist_test.moc"
