#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "SampleWindows.h"
#include "gui/orderlist/OrderListGeometry.h"
#include "gui/widgets/FileDialogs.h"
#include "gui/widgets/QtText.h"

using namespace kb;

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
    void designedGeometry();
    void windowIsPlacedFromTheList();
    void saveWithoutCustomerFileNamesIt();
    void savedNameKeepsItsExtensionOrGetsRtf();
    void everyCellCanBeRead();
    void desktopKeysRunTheCommands();
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
    const Result<OrderList> build = w.core().BuildOrderlist();
    QVERIFY(build.has_value());
    QCOMPARE(shown, Composed((*build)));
    QCOMPARE(shown[0], QStringLiteral("Order Number|Type|Description|Price EN (EUR)|Pos."));
    QCOMPARE(shown[1], QStringLiteral("72110201|ZO-HW-ST|Wall housing, powder-coated steel|420|"));
    QVERIFY(shown.contains(QStringLiteral("|ID-Code:|VK72-1111x-110Ax-00000-00000-M3x||")));
    QCOMPARE(FoOrderlist->richText(), build->rtf);
    QCOMPARE(FoOrderlist->plainText(), build->PlainText());

    // Shown again after a change, the window holds the new list and nothing of the old one.
    QTest::keyClick(w.inForm<QComboBox>("X3"), Qt::Key_Down);
    ShowOrderList(w, [&](QDialog&) { shown = Shown(Tab1()); });
    const Result<OrderList> rebuilt = w.core().BuildOrderlist();
    QVERIFY(rebuilt.has_value());
    QCOMPARE(shown, Composed((*rebuilt)));
    QVERIFY(shown.contains(QStringLiteral("|ID-Code:|VK72-1111x-110Ax-00A00-00000-M3x||")));
    QCOMPARE(FoOrderlist->richText(), rebuilt->rtf);
}

void TFoOrderlistTest::designedGeometry() {
    const OrderListGeometry g = ComputeOrderListGeometry({}, kOrderListRows);
    QCOMPARE(std::vector<int>({g.windowWidth, g.windowHeight, g.tableWidth, g.tableHeight}),
             std::vector<int>({610, 714, 582, 554}));
    QCOMPARE(std::vector<int>({g.printLeft, g.saveLeft, g.clipLeft, g.closeLeft, g.buttonTop}),
             std::vector<int>({10, 143, 276, 471, 614}));
    QCOMPARE(std::vector<int>({g.frameLeft, g.frameTop, g.frameWidth, g.frameHeight}),
             std::vector<int>({10, 10, 583, 555}));
    // Two rows more for the price date: the table and the window grow by them.
    const OrderListGeometry taller = ComputeOrderListGeometry({}, 39);
    QCOMPARE(taller.tableHeight, 30 * 18 + 50);
    QCOMPARE(taller.windowHeight, 750);
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
    // A narrow family where one is installed, the window's own font otherwise.
    const QString family = QFontInfo(table->font()).family();
    QVERIFY2(family.endsWith(QStringLiteral(" Narrow")) || family == QFontInfo(FoOrderlist->font()).family(),
             qPrintable(family));
    // 36 rows of 18 pixels do not fit: the list scrolls.
    QVERIFY(table->verticalScrollBar()->maximum() > 0);

    // The close button closes the window.
    w.whileOpen([](QDialog&) { QTest::mouseClick(Button("BitBtn1"), Qt::LeftButton); });
    QTest::mouseClick(w.inForm<QPushButton>("BtnShowOrderlist"), Qt::LeftButton);
    QCOMPARE(w.modals.size(), std::size_t(2));
    QCOMPARE(w.results.back(), int(QDialog::Rejected));

    // A list that needs more rows makes the table and the window taller.
    w.core().ChangeControl(Control::Card(), 1, ChangeBy::Program);
    for (int n = 1; n <= 10; ++n)
        w.core().ChangeControl(Control::Of(Slot(n)), 1, ChangeBy::Program);
    const Result<OrderList> longer = w.core().BuildOrderlist();
    QVERIFY(longer.has_value());
    QVERIFY(longer->rows.size() > 37);
    FoOrderlist->ShowList(*longer);
    const OrderListGeometry g = ComputeOrderListGeometry({}, static_cast<int>(longer->rows.size()));
    QCOMPARE(dialog.maximumSize(), QSize(610, g.windowHeight));
    QVERIFY(g.windowHeight > 714);
    QCOMPARE(table->geometry(), QRect(10, 10, 582, g.tableHeight));
    QCOMPARE(table->rowCount(), static_cast<int>(longer->rows.size()) - 1);
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
    QCOMPARE(request.defaultSuffix, QStringLiteral("rtf"));
    QVERIFY(request.confirmOverwrite);
    // No name proposed (a bare ".rtf" would be a hidden file), only the folder.
    QCOMPARE(request.proposedName, QString());
    QCOMPARE(request.directory, QDir::currentPath());
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

void TFoOrderlistTest::savedNameKeepsItsExtensionOrGetsRtf() {
    SampleWindows w;
    std::filesystem::create_directory(w.folder() / "lists");
    const std::pair<const char*, const char*> cases[] = {
        {"lists/plain", "lists/plain.rtf"},
        {"lists/upper.RTF", "lists/upper.RTF"},
        {"lists/order.txt", "lists/order.txt"},
    };
    for (const auto& [typed, written] : cases) {
        ShowOrderList(w, [&](QDialog&) {
            FileDialogs::setNextFileName(PathToQ(w.file(typed)));
            QTest::mouseClick(Button("SaveButton"), Qt::LeftButton);
        });
        QCOMPARE(ReadFileBytes(w.file(written)), FoOrderlist->richText());
    }
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(w.folder() / "lists"))
        files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    QCOMPARE(files, (std::vector<std::string>{"order.txt", "plain.rtf", "upper.RTF"}));
}

// The longest texts of the sample catalogue in every row: each cell shows its whole text or
// an ellipsis with the whole text as tooltip, and the ID code is always whole.
void TFoOrderlistTest::everyCellCanBeRead() {
    SampleWindows w;
    Result<OrderList> build = w.core().BuildOrderlist();
    QVERIFY(build.has_value());
    std::vector<Part> parts;
    for (int slot = 0; slot < PartTable::kSlots; ++slot)
        parts.push_back(w.core().snapshot()->parts[slot]);
    const auto longest = [&](std::string Part::*field) {
        std::sort(parts.begin(), parts.end(),
                  [&](const Part& a, const Part& b) { return (a.*field).size() > (b.*field).size(); });
        std::vector<std::string> texts;
        for (const Part& part : parts)
            texts.push_back(part.*field);
        return texts;
    };
    const auto orderNumbers = longest(&Part::orderNumber);
    const auto types = longest(&Part::type);
    const auto descriptions = longest(&Part::description);
    for (std::size_t r = 1; r <= 10; ++r) {
        build->rows[r][0] = orderNumbers[r - 1];
        build->rows[r][1] = types[r - 1];
        build->rows[r][2] = descriptions[r - 1];
    }
    ShowOrderList(w, [&](QDialog&) { FoOrderlist->ShowList(*build); });
    QTableWidget* table = Tab1();
    const int margin = table->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table) + 1;
    int cut = 0;
    bool codeSeen = false;
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c) {
            const QTableWidgetItem* item = table->item(r, c);
            const QFont font = item->data(Qt::FontRole).isValid() ? item->font() : table->font();
            const bool fits =
                QFontMetrics(font).horizontalAdvance(item->text()) <= table->columnWidth(c) - 2 * margin;
            if (item->text() == ToQ(build->code)) {
                codeSeen = true;
                QVERIFY2(fits, "the ID code is cut");
            } else if (!fits) {
                ++cut;
                QCOMPARE(item->toolTip(), item->text());
            } else {
                QCOMPARE(item->toolTip(), QString());
            }
        }
    }
    QVERIFY(codeSeen);
    // With the narrow family of the design installed, the longest description fits too.
    if (QFontInfo(table->font()).family() == QStringLiteral("Liberation Sans Narrow")) {
        const QTableWidgetItem* description = table->item(0, 2);
        QCOMPARE(description->text(), ToQ(descriptions.front()));
        QCOMPARE(description->toolTip(), QString());
    }
    qInfo("%d cells shown cut", cut);
}

void TFoOrderlistTest::desktopKeysRunTheCommands() {
    SampleWindows w;
    int printDialogs = 0;
    bool closedByEscape = false;
    QGuiApplication::clipboard()->clear();
    // Forget the request of any earlier test.
    FileDialogs::setNextFileName(QString());
    FileDialogs::GetOpenFileName(nullptr, {});
    ShowOrderList(w, [&](QDialog& dialog) {
        FoOrderlist->setPrintDialogRunner([&](QPrinter&, QWidget*) {
            ++printDialogs;
            return false;
        });
        // With the focus in the table, as after a click into the list.
        Tab1()->setFocus();
        // A button's key clicks it a moment later, as the button is shown pressed.
        QTest::keyClick(Tab1(), Qt::Key_P, Qt::ControlModifier);
        QTRY_COMPARE(printDialogs, 1);
        FileDialogs::setNextFileName(QString());
        QTest::keyClick(Tab1(), Qt::Key_S, Qt::ControlModifier);
        QTRY_COMPARE(FileDialogs::lastRequest().title, QStringLiteral("Save Orderlist"));
        QTest::keyClick(Tab1(), Qt::Key_C, Qt::ControlModifier);
        const auto rtfOnClipboard = [] {
            const QMimeData* data = QGuiApplication::clipboard()->mimeData();
            return data && data->hasFormat(QStringLiteral("text/rtf"));
        };
        QTRY_VERIFY(rtfOnClipboard());
        QVERIFY(dialog.isVisible());
        QTest::keyClick(Tab1(), Qt::Key_Escape);
        QTRY_VERIFY(!dialog.isVisible());
        closedByEscape = true;
    });
    QVERIFY(closedByEscape);
    QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("text/rtf")),
             Bytes(FoOrderlist->richText()));
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
