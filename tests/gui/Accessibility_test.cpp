#include <QApplication>
#include <QGroupBox>
#include <QRadioButton>
#include <QTest>

#include "SampleWindows.h"

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

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

  private slots:
    void tabFollowsTheMainWindow();
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

QTEST_MAIN(AccessibilityTest)
#include "Accessibility_test.moc"
