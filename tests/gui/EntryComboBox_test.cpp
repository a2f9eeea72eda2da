#include "gui/widgets/EntryComboBox.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QImage>
#include <QPainter>
#include <QSignalBlocker>
#include <QTest>

#include "SampleWindows.h"

class EntryComboBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void cutEntriesStayApart();
    void sampleListsNeverShowTwoEntriesAlike();
    void markedAndUnmarkedEntriesLineUp();
};

void EntryComboBoxTest::cutEntriesStayApart() {
    // Every character, the ellipsis too, ten pixels wide.
    const auto advance = [](const QString& text) { return static_cast<int>(text.size()) * 10; };
    const QStringList serial{QStringLiteral("Serial RS232"), QStringLiteral("Serial RS422, isolated"),
                             QStringLiteral("Serial RS485, isolated")};
    const QStringList cables{QStringLiteral("Connection cable 5 m"), QStringLiteral("Connection cable 15 m")};
    struct Case {
        const char* name;
        QStringList items;
        int index;
        int width;
        QString shown;
    };
    const std::vector<Case> cases = {
        {"fits whole", serial, 0, 120, QStringLiteral("Serial RS232")},
        {"cut at the end when that is enough", serial, 1, 140, QStringLiteral("Serial RS422,…")},
        {"the end that tells them apart", cables, 0, 120, QStringLiteral("Connect… 5 m")},
        {"the other one", cables, 1, 120, QStringLiteral("Connect…15 m")},
        {"too narrow for both ends: the middle", serial, 1, 100, QStringLiteral("…ial RS42…")},
        {"and its neighbour", serial, 2, 100, QStringLiteral("…ial RS48…")},
        {"alone in its list",
         {QStringLiteral("ZEV-Azo operator panel")},
         0,
         100,
         QStringLiteral("ZEV-Azo o…")},
        {"no room at all", serial, 1, 5, QStringLiteral("…")},
    };
    for (const Case& c : cases)
        QVERIFY2(DistinctElidedText(c.items, c.index, c.width, advance) == c.shown, c.name);
}

void EntryComboBoxTest::sampleListsNeverShowTwoEntriesAlike() {
    SampleWindows w;
    for (const char* name : {"X1", "X2", "X3", "X4", "X5", "X6", "X7", "X8", "X9", "X10", "HMI", "Power",
                             "Display", "HMICable"}) {
        auto* list = w.inForm<EntryComboBox>(name);
        const int current = list->currentIndex();
        QStringList shown;
        for (int i = 0; i < list->count(); ++i) {
            {
                const QSignalBlocker blocker(list);
                list->setCurrentIndex(i);
            }
            const QString text = list->shownText();
            QVERIFY2(!shown.contains(text), qPrintable(QLatin1String(name) + QLatin1String(": ") + text));
            shown.append(text);
            // A cut entry shows whole as the tooltip.
            QHelpEvent help(QEvent::ToolTip, QPoint(4, 4), list->mapToGlobal(QPoint(4, 4)));
            QApplication::sendEvent(list, &help);
            QCOMPARE(list->toolTip(), text == list->itemText(i) ? QString() : list->itemText(i));
        }
        const QSignalBlocker blocker(list);
        list->setCurrentIndex(current);
    }
    // The standard HMI entry shows whole, in the narrow face where one is installed.
    auto* hmi = w.inForm<EntryComboBox>("HMI");
    if (hmi->shownNarrow())
        QCOMPARE(hmi->shownText(), hmi->itemText(0));
}

void EntryComboBoxTest::markedAndUnmarkedEntriesLineUp() {
    SampleWindows w;
    auto* list = w.inForm<QComboBox>("X10");
    QAbstractItemView* view = list->view();
    const QModelIndex entry = list->model()->index(0, 0);
    const auto rendered = [&] {
        QImage image(300, 24, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.initFrom(view);
        option.rect = image.rect();
        option.font = view->font();
        option.fontMetrics = view->fontMetrics();
        option.widget = view;
        view->itemDelegate()->paint(&painter, option, entry);
        return image;
    };
    list->setItemData(0, {}, Qt::DecorationRole);
    const QImage unmarked = rendered();
    QPixmap icon(14, 14);
    icon.fill(Qt::red);
    list->setItemData(0, QIcon(icon), Qt::DecorationRole);
    const QImage marked = rendered();
    // The icon shows in front of the text; the text stands where it stands without it.
    QVERIFY(marked != unmarked);
    const int textStart = list->iconSize().width() + 8;
    QCOMPARE(marked.copy(textStart, 0, 300 - textStart, 24),
             unmarked.copy(textStart, 0, 300 - textStart, 24));
}

QTEST_MAIN(EntryComboBoxTest)
#include "EntryComboBox_test.moc"
