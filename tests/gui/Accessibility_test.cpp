#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

#include "SampleWindows.h"
#include "gui/widgets/SummaryBox.h"

namespace {

// The widget with the focus as the test names it: its object name, or for a radio button its
// group's name and its place there.
QString FocusedControl() {
    QWidget* focus = QApplication::focusWidget();
    if (!focus)
        return {};
    if (auto* radio = qobject_cast<QRadioButton*>(focus)) {
        const auto buttons = radio->parentWidget()->findChildren<QRadioButton*>();
        return QStringLiteral("%1[%2]").arg(radio->parentWidget()->objectName()).arg(buttons.indexOf(radio));
    }
    return focus->objectName();
}

QString SpokenText(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    QAccessibleTextInterface* text = accessible ? accessible->textInterface() : nullptr;
    return text ? text->text(0, text->characterCount()) : QStringLiteral("<no text>");
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

  private slots:
    void tabFollowsTheMainWindow();
    void statusAndPriceAreOneObjectEach();
};

void AccessibilityTest::tabFollowsTheMainWindow() {
    SampleWindows w;
    w.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    // The focus starts top left, on the checked housing.
    QStringList visited;
    for (int step = 0; step < 60 && (visited.isEmpty() || FocusedControl() != visited.front()); ++step) {
        visited.append(FocusedControl());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Top left to bottom right: the Zev-Ozi's groups, its slots row by row as they stand
    // (X5 ... X1, HMI; X10 ... X6, Power), the ZEV-Azo beside it, then the bottom row.
    const QStringList expected{QStringLiteral("Housing[0]"),  QStringLiteral("Processor[0]"),
                               QStringLiteral("RAM[0]"),      QStringLiteral("OS[0]"),
                               QStringLiteral("OSLanguage"),  QStringLiteral("PCI"),
                               QStringLiteral("X5"),          QStringLiteral("X4"),
                               QStringLiteral("X3"),          QStringLiteral("X2"),
                               QStringLiteral("X1"),          QStringLiteral("HMI"),
                               QStringLiteral("X10"),         QStringLiteral("X9"),
                               QStringLiteral("X8"),          QStringLiteral("X7"),
                               QStringLiteral("X6"),          QStringLiteral("Power"),
                               QStringLiteral("Display"),     QStringLiteral("HMICable"),
                               QStringLiteral("BtnCustomer"), QStringLiteral("BtnShowOrderlist"),
                               QStringLiteral("BitBtn1")};
    QCOMPARE(visited, expected);
}

void AccessibilityTest::statusAndPriceAreOneObjectEach() {
    SampleWindows w;
    auto* status = w.inForm<SummaryBox>("StatusGroup");
    auto* price = w.inForm<SummaryBox>("PriceBox");
    QAccessibleInterface* statusObject = QAccessible::queryAccessibleInterface(status);
    QAccessibleInterface* priceObject = QAccessible::queryAccessibleInterface(price);
    QCOMPARE(statusObject->role(), QAccessible::StatusBar);
    QCOMPARE(statusObject->text(QAccessible::Name), QStringLiteral("Configuration Status"));
    QCOMPARE(priceObject->text(QAccessible::Name), QStringLiteral("Price of unit"));
    // The circle and the labels inside are heard through the one text, not one by one.
    QCOMPARE(statusObject->childCount(), 0);
    QCOMPARE(priceObject->childCount(), 0);

    const QList<QRadioButton*> ram = w.inForm<QGroupBox>("RAM")->findChildren<QRadioButton*>();
    struct Step {
        int ram;
        const char* status;
        const char* price;
    };
    // From the sample's standard choice: a second RAM module changes the price only, the ECC
    // module breaks a rule as well.
    const Step steps[] = {
        {1, "OK: Selected configuration has no errors.", "4205 EUR"},
        {3, "Not OK: Combination of 32 GB DDR4 SO-DIMM, ECC and Dual core 1.6 GHz, fanless is not allowed!",
         "4515 EUR"},
        {0, "OK: Selected configuration has no errors.", "4160 EUR"},
    };
    // The events that make a screen reader read a change go out only through the platform's
    // accessibility bridge, which the offscreen platform lacks: the bus test counts them.
    for (const Step& step : steps) {
        ram[step.ram]->click();
        QCOMPARE(SpokenText(status), QLatin1String(step.status));
        QCOMPARE(SpokenText(price), QLatin1String(step.price));
    }
}

QTEST_MAIN(AccessibilityTest)
#include "Accessibility_test.moc"
