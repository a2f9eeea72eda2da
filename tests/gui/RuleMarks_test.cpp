#include "gui/widgets/RuleMarks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

#include "SampleWindows.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/RadioGroup.h"

using namespace kb;

namespace {

const QString kWirelessLimit =
    QStringLiteral("There are only 0 Wireless LAN, external antenna interfaces allowed!");
const QString kCardHousing = QStringLiteral(
    "Combination of PCI slot extension and Compact DIN-rail housing, aluminium is not allowed!");

// Picks an entry with the keyboard, as a user of a closed list does.
void UserChoose(QComboBox* box, int index) {
    while (box->currentIndex() < index)
        QTest::keyClick(box, Qt::Key_Down);
    while (box->currentIndex() > index)
        QTest::keyClick(box, Qt::Key_Up);
}

bool Marked(QComboBox* box, int index) {
    return !box->itemData(index, Qt::DecorationRole).value<QIcon>().isNull();
}

int MarkedItems(QComboBox* box) {
    int marked = 0;
    for (int i = 0; i < box->count(); ++i)
        marked += Marked(box, i);
    return marked;
}

double Luminance(const QColor& c) {
    const auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class RuleMarksTest : public QObject {
    Q_OBJECT
  private slots:
    void marksFollowEveryChangeAfterIt();
    void radioButtonsAndTheCardCarryMarks();
    void undoAndRedoFromTheEditMenuAndKeys();
    void colorsReadableInLightAndDarkPalettes();
};

void RuleMarksTest::marksFollowEveryChangeAfterIt() {
    SampleWindows w;
    RuleMarks* marks = w.form->Marks();
    QTRY_VERIFY(!marks->pending());
    auto* x10 = w.find<QComboBox>(w.form.get(), "X10");
    const int entries = x10->count();
    QVERIFY(Marked(x10, 5));
    QCOMPARE(x10->itemData(5, Qt::ToolTipRole).toString(),
             QStringLiteral("Choosing this breaks a rule: \"%1\"").arg(kWirelessLimit));
    QCOMPARE(x10->itemData(5, Qt::AccessibleDescriptionRole).toString(),
             x10->itemData(5, Qt::ToolTipRole).toString());
    QCOMPARE(x10->itemData(5, Qt::ForegroundRole).value<QBrush>().color(),
             RuleMarks::TextColor(HintKind::Breaks, x10->palette(), QPalette::Base));
    QCOMPARE(MarkedItems(x10), 1);

    // Choosing the marked entry does what it always did; the marks follow once the change shows.
    UserChoose(x10, 5);
    QCOMPARE(w.form->core().statusText(), FromQ(kWirelessLimit));
    QVERIFY(marks->pending());
    QTRY_VERIFY(!marks->pending());
    QCOMPARE(MarkedItems(x10), entries - 1);
    QVERIFY(!Marked(x10, 5));
    QCOMPARE(x10->itemData(0, Qt::ToolTipRole).toString(),
             QStringLiteral("Choosing this clears the fault: \"%1\"").arg(kWirelessLimit));
    // While a rule fails, only what clears it is marked.
    QCOMPARE(MarkedItems(w.find<QComboBox>(w.form.get(), "X1")), 0);
    QVERIFY(w.find<RadioGroup>(w.form.get(), "RAM")->button(3)->icon().isNull());
    // Never hidden, disabled or reordered.
    QCOMPARE(x10->count(), entries);
    for (int i = 0; i < entries; ++i)
        QVERIFY(x10->model()->flags(x10->model()->index(i, 0)) & Qt::ItemIsEnabled);
    QVERIFY(w.presenter.shown.empty());
}

void RuleMarksTest::radioButtonsAndTheCardCarryMarks() {
    SampleWindows w;
    QTRY_VERIFY(!w.form->Marks()->pending());
    auto* ram = w.find<RadioGroup>(w.form.get(), "RAM");
    QVERIFY(!ram->button(3)->icon().isNull());
    QVERIFY(ram->button(3)->isEnabled());
    QVERIFY(ram->button(0)->icon().isNull());
    QCOMPARE(ram->button(3)->palette().color(QPalette::WindowText),
             RuleMarks::TextColor(HintKind::Breaks, ram->palette(), QPalette::Window));

    auto* card = w.find<QCheckBox>(w.form.get(), "PCI");
    QVERIFY(card->icon().isNull());
    QVERIFY(card->toolTip().isEmpty());
    auto* housing = w.find<RadioGroup>(w.form.get(), "Housing");
    housing->button(2)->click();
    QTRY_VERIFY(!w.form->Marks()->pending());
    QVERIFY(!card->icon().isNull());
    QCOMPARE(card->toolTip(), QStringLiteral("Choosing this breaks a rule: \"%1\"").arg(kCardHousing));
    QVERIFY(card->isEnabled());

    card->click();
    QCOMPARE(w.form->core().statusText(), FromQ(kCardHousing));
    QTRY_VERIFY(!w.form->Marks()->pending());
    // Unchecking the card, or another housing, clears the fault.
    QVERIFY(card->toolTip().startsWith(QStringLiteral("Choosing this clears the fault")));
    QVERIFY(!housing->button(0)->icon().isNull());
    QVERIFY(housing->button(2)->icon().isNull());
}

void RuleMarksTest::undoAndRedoFromTheEditMenuAndKeys() {
    SampleWindows w;
    auto* undo = w.find<QAction>(w.form.get(), "EditUndo");
    auto* redo = w.find<QAction>(w.form.get(), "EditRedo");
    QCOMPARE(undo->text(), QStringLiteral("&Undo"));
    QCOMPARE(redo->shortcuts(), (QList<QKeySequence>{QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                                     QKeySequence(QStringLiteral("Ctrl+Y"))}));
    QVERIFY(!undo->isEnabled());
    QVERIFY(!redo->isEnabled());

    auto* x10 = w.find<QComboBox>(w.form.get(), "X10");
    auto* hmi = w.find<QComboBox>(w.form.get(), "HMI");
    // Each entry the keyboard passes is a change of its own: one step here.
    UserChoose(x10, 1);
    UserChoose(hmi, 1);
    QVERIFY(!w.find<QWidget>(w.form.get(), "HMIBox")->isVisible());
    QVERIFY(undo->isEnabled());
    QVERIFY(!redo->isEnabled());

    QTest::keyClick(w.form.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(hmi->currentIndex(), 0);
    QVERIFY(w.find<QWidget>(w.form.get(), "HMIBox")->isVisible());
    QVERIFY(redo->isEnabled());
    undo->trigger();
    QCOMPARE(x10->currentIndex(), 0);
    QVERIFY(!undo->isEnabled());
    QCOMPARE(w.form->core().statusText(), std::string(kStatusNoErrors));
    QTRY_VERIFY(!w.form->Marks()->pending());
    QVERIFY(Marked(x10, 5));

    QTest::keyClick(w.form.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(x10->currentIndex(), 1);
    QTest::keyClick(w.form.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(hmi->currentIndex(), 1);
    QVERIFY(!redo->isEnabled());
    QVERIFY(w.presenter.shown.empty());
}

void RuleMarksTest::colorsReadableInLightAndDarkPalettes() {
    QPalette light(QColor(0xEF, 0xEF, 0xEF));
    light.setColor(QPalette::Base, Qt::white);
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2A, 0x2A, 0x2A));
    for (const QPalette& palette : {light, dark}) {
        for (QPalette::ColorRole background : {QPalette::Base, QPalette::Window}) {
            for (HintKind kind : {HintKind::Breaks, HintKind::Clears}) {
                const QColor color = RuleMarks::TextColor(kind, palette, background);
                QVERIFY2(Contrast(color, palette.color(background)) >= 4.5, qPrintable(color.name()));
                QVERIFY(!RuleMarks::Icon(kind, palette, background).isNull());
            }
            QVERIFY(RuleMarks::Icon(HintKind::None, palette, background).isNull());
        }
    }
    QVERIFY(RuleMarks::TextColor(HintKind::Breaks, light, QPalette::Base) !=
            RuleMarks::TextColor(HintKind::Clears, light, QPalette::Base));
}

QTEST_MAIN(RuleMarksTest)
#include "RuleMarks_test.moc"
