#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "SampleWindows.h"
#include "TypedCodes.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

// The code that the order list shows for the sample catalogue's standard configuration.
const QStringList kStandardCode{QStringLiteral("1111x"), QStringLiteral("110Ax"), QStringLiteral("00000"),
                                QStringLiteral("00000"), QStringLiteral("M3x")};
const char* const kMismatch =
    "The ID-Code you entered does not describe a correct configuration of VK72! \nPlease check your input.";

QLineEdit* Box(QDialog& dialog, int n) {
    return dialog.findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(n));
}

QPushButton* Ok(QDialog& dialog) {
    return dialog.findChild<QPushButton*>(QStringLiteral("BitBtn1"));
}

// Types the groups as a user does: each into whichever box has the focus.
void TypeCode(const QStringList& groups) {
    for (const QString& group : groups)
        QTest::keyClicks(QApplication::focusWidget(), group);
}

// Every selection of the main window, as the core holds it.
std::vector<int> SelectionIndexes(const Configurator& core) {
    std::vector<int> indexes;
    for (const GroupInfo& info : AllGroups())
        indexes.push_back(core.choice()[info.group]);
    indexes.push_back(core.choice().pciChecked ? 1 : 0);
    return indexes;
}

int CheckedRadio(QGroupBox* group) {
    const auto buttons = group->findChildren<QRadioButton*>();
    for (int i = 0; i < buttons.size(); ++i) {
        if (buttons[i]->isChecked())
            return i;
    }
    return -1;
}

} // namespace

class TFoIDCodeTest : public QObject {
    Q_OBJECT

  private slots:
    void windowHasItsControls();
    void focusMovesFromBoxToBox();
    void okFollowsTheFullBoxes();
    void lettersShowInUpperCase();
    void boxesHoldCharactersNotUtf16Units();
    void standardCodeKeepsTheConfiguration();
    void typedCodeSetsTheMainWindow();
    void unknownSlotCharacterEmptiesTheSlot();
    void cancelChangesNothing();
    void reopeningShowsEmptyBoxes();
    void pastedCodeSpreadsOverTheBoxes();
};

void TFoIDCodeTest::windowHasItsControls() {
    SampleWindows w;
    QDialog& dialog = *FoIDCode;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("ID-Code"));
    QCOMPARE(dialog.minimumSize(), QSize(464, 224));
    QCOMPARE(dialog.maximumSize(), QSize(464, 224));
    QVERIFY(!(dialog.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(w.find<QLabel>(&dialog, "Label1")->text(),
             QStringLiteral("Please enter ID-Code of the VK72 terminal:"));
    QCOMPARE(w.find<QLabel>(&dialog, "Label3")->text(),
             QStringLiteral("The corresponding configuration will be shown after closing this window."));
    auto* label2 = w.find<QLabel>(&dialog, "Label2");
    QCOMPARE(label2->text(), QStringLiteral("VK72 -"));
    QVERIFY(label2->font().bold());
    QVERIFY(label2->font().pointSizeF() > dialog.font().pointSizeF());
    for (const char* name : {"Label4", "Label5", "Label6", "Label7"}) {
        QCOMPARE(w.find<QLabel>(&dialog, name)->text(), QStringLiteral("-"));
        QVERIFY(w.find<QLabel>(&dialog, name)->font().bold());
    }
    // Shown, the row reads "VK72 -", box, "-", box, ... from left to right, all inside the window.
    QStringList row;
    w.whileOpen([&](QDialog&) {
        QList<QWidget*> widgets{label2};
        for (int n = 1; n <= 5; ++n) {
            if (n > 1)
                widgets.append(w.find<QLabel>(&dialog, qPrintable(QStringLiteral("Label%1").arg(n + 2))));
            widgets.append(Box(dialog, n));
        }
        int right = 0;
        for (QWidget* widget : widgets) {
            if (widget->x() > right && widget->width() >= widget->minimumSizeHint().width())
                row.append(widget->objectName());
            right = widget->geometry().right();
        }
        if (right >= dialog.width())
            row.append(QStringLiteral("<outside>"));
    });
    w.inForm<QAction>("EnterIDCode1")->trigger();
    QCOMPARE(row, (QStringList{QStringLiteral("Label2"), QStringLiteral("Edit1"), QStringLiteral("Label4"),
                               QStringLiteral("Edit2"), QStringLiteral("Label5"), QStringLiteral("Edit3"),
                               QStringLiteral("Label6"), QStringLiteral("Edit4"), QStringLiteral("Label7"),
                               QStringLiteral("Edit5")}));

    auto* ok = Ok(dialog);
    auto* cancel = w.find<QPushButton>(&dialog, "BitBtn2");
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QVERIFY(!ok->isEnabled());
    QVERIFY(ok->isDefault());
    QVERIFY(cancel->x() < ok->x());
    QCOMPARE(TabOrder(Box(dialog, 1)),
             (QStringList{QStringLiteral("Edit1"), QStringLiteral("Edit2"), QStringLiteral("Edit3"),
                          QStringLiteral("Edit4"), QStringLiteral("Edit5"), QStringLiteral("BitBtn2"),
                          QStringLiteral("BitBtn1")}));
}

void TFoIDCodeTest::focusMovesFromBoxToBox() {
    SampleWindows w;
    QStringList focus;
    w.whileOpen([&](QDialog&) {
        focus.append(FocusName());
        for (const QString& group : kStandardCode) {
            // Four characters leave the focus where it is; the fifth moves it on.
            QTest::keyClicks(QApplication::focusWidget(), group.left(group.size() - 1));
            focus.append(FocusName());
            QTest::keyClicks(QApplication::focusWidget(), group.right(1));
            focus.append(FocusName());
        }
    });
    w.inForm<QAction>("EnterIDCode1")->trigger();
    QCOMPARE(focus, (QStringList{QStringLiteral("Edit1"), QStringLiteral("Edit1"), QStringLiteral("Edit2"),
                                 QStringLiteral("Edit2"), QStringLiteral("Edit3"), QStringLiteral("Edit3"),
                                 QStringLiteral("Edit4"), QStringLiteral("Edit4"), QStringLiteral("Edit5"),
                                 QStringLiteral("Edit5"), QStringLiteral("BitBtn1")}));
}

void TFoIDCodeTest::okFollowsTheFullBoxes() {
    SampleWindows w;
    std::vector<bool> enabled;
    w.whileOpen([&](QDialog& dialog) {
        enabled.push_back(Ok(dialog)->isEnabled());
        // Filled from the last box backwards: OK waits for the last empty place.
        for (int n = 5; n >= 1; --n) {
            Box(dialog, n)->setFocus();
            QTest::keyClicks(Box(dialog, n), kStandardCode[n - 1]);
            enabled.push_back(Ok(dialog)->isEnabled());
        }
        QCOMPARE(FocusName(), QStringLiteral("BitBtn1"));
        // One character less in any box disables OK; typing it again enables it.
        for (int n : {5, 2}) {
            Box(dialog, n)->setFocus();
            QTest::keyClick(Box(dialog, n), Qt::Key_End);
            QTest::keyClick(Box(dialog, n), Qt::Key_Backspace);
            enabled.push_back(Ok(dialog)->isEnabled());
            QTest::keyClicks(Box(dialog, n), kStandardCode[n - 1].right(1));
            enabled.push_back(Ok(dialog)->isEnabled());
        }
    });
    w.inForm<QAction>("EnterIDCode1")->trigger();
    QCOMPARE(enabled, (std::vector<bool>{false, false, false, false, false, true, false, true, false, true}));
}

void TFoIDCodeTest::lettersShowInUpperCase() {
    SampleWindows w;
    QString shown;
    int cursor = -1;
    w.whileOpen([&](QDialog& dialog) {
        QLineEdit* box = Box(dialog, 2);
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral("ax"));
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClicks(box, QStringLiteral("b"));
        shown = box->text();
        cursor = box->cursorPosition();
    });
    w.inForm<QAction>("EnterIDCode1")->trigger();
    QCOMPARE(shown, QStringLiteral("BAX"));
    QCOMPARE(cursor, 1);
}

void TFoIDCodeTest::boxesHoldCharactersNotUtf16Units() {
    SampleWindows w;
    QStringList texts;
    QString focus;
    w.whileOpen([&](QDialog& dialog) {
        // Typed as a keyboard layout delivers text: one key event a character.
        const auto type = [](QLineEdit* box, const QString& text) {
            for (const uint codePoint : text.toUcs4()) {
                const QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1);
                QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, character, Qt::NoModifier);
                QTest::sendKeyEvent(QTest::Release, box, Qt::Key_unknown, character, Qt::NoModifier);
            }
        };
        for (int n = 1; n <= 5; ++n) {
            Box(dialog, n)->setFocus();
            type(Box(dialog, n), QStringLiteral("\U0001F600\u00e4\u20acabcdef"));
            texts.append(Box(dialog, n)->text());
        }
        focus = FocusName();
    });
    w.inForm<QAction>("EnterIDCode1")->trigger();
    const QString five = QStringLiteral("\U0001F600\u00e4\u20acAB");
    QCOMPARE(texts, (QStringList{five, five, five, five, QStringLiteral("\U0001F600\u00e4\u20ac")}));
    QCOMPARE(focus, QStringLiteral("BitBtn1"));
}

void TFoIDCodeTest::standardCodeKeepsTheConfiguration() {
    SampleWindows w;
    const std::vector<int> before = SelectionIndexes(w.core());
    w.whileOpen([&](QDialog&) {
        TypeCode({QStringLiteral("1111X"), QStringLiteral("110aX"), QStringLiteral("00000"),
                  QStringLiteral("00000"), QStringLiteral("m3X")});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    w.inForm<QAction>("EnterIDCode1")->trigger();
    QCOMPARE(w.results, std::vector<int>{QDialog::Accepted});
    QVERIFY(w.presenter.shown.empty());
    QCOMPARE(SelectionIndexes(w.core()), before);
    // OK composed the order list, which stores the code it regenerated.
    QCOMPARE(w.core().customer()[CustomerRecord::Code], std::string("VK72-1111x-110Ax-00000-00000-M3x"));
}

void TFoIDCodeTest::typedCodeSetsTheMainWindow() {
    SampleWindows w;
    w.whileOpen([&](QDialog& dialog) {
        TypeCode({QStringLiteral("2111x"), QStringLiteral("110Ax"), QStringLiteral("A0000"),
                  QStringLiteral("00000"), QStringLiteral("M3x")});
        QTest::mouseClick(Ok(dialog), Qt::LeftButton);
    });
    w.inForm<QAction>("EnterIDCode1")->trigger();
    QVERIFY(w.presenter.shown.empty());
    QCOMPARE(w.results, std::vector<int>{QDialog::Accepted});
    QCOMPARE(CheckedRadio(w.inForm<QGroupBox>("Housing")), 1);
    QCOMPARE(w.inForm<QComboBox>("X1")->currentIndex(), 1);
    QCOMPARE(w.core().customer()[CustomerRecord::Code], std::string("VK72-2111x-110Ax-A0000-00000-M3x"));
}

void TFoIDCodeTest::unknownSlotCharacterEmptiesTheSlot() {
    SampleWindows w;
    // A module in X1 beforehand, so that emptying the slot shows.
    QTest::keyClick(w.inForm<QComboBox>("X1"), Qt::Key_Down);
    QCOMPARE(w.core().choice()[Group::X1], 1);
    w.whileOpen([&](QDialog& dialog) {
        TypeCode({QStringLiteral("1111x"), QStringLiteral("110Ax"), QStringLiteral("Z0000"),
                  QStringLiteral("00000"), QStringLiteral("M3x")});
        QTest::mouseClick(Ok(dialog), Qt::LeftButton);
    });
    w.inForm<QAction>("EnterIDCode1")->trigger();
    QCOMPARE(w.presenter.shown.size(), std::size_t(1));
    QCOMPARE(w.presenter.shown[0].kind, Message::Kind::Error);
    QCOMPARE(w.presenter.shown[0].buttons, Message::Buttons::Ok);
    QCOMPARE(w.presenter.shown[0].text, std::string(kMismatch));
    QCOMPARE(w.results, std::vector<int>{QDialog::Accepted});
    QCOMPARE(w.core().choice()[Group::X1], 0);
    QCOMPARE(w.inForm<QComboBox>("X1")->currentIndex(), 0);
}

void TFoIDCodeTest::cancelChangesNothing() {
    SampleWindows w;
    const std::vector<int> before = SelectionIndexes(w.core());
    const int checks = w.core().checkRuns();
    w.whileOpen([&](QDialog& dialog) {
        TypeCode({QStringLiteral("2222x"), QStringLiteral("220Dx"), QStringLiteral("A0000"),
                  QStringLiteral("00000"), QStringLiteral("S5x")});
        QVERIFY(Ok(dialog)->isEnabled());
        QTest::mouseClick(w.find<QPushButton>(&dialog, "BitBtn2"), Qt::LeftButton);
    });
    w.inForm<QAction>("EnterIDCode1")->trigger();
    QCOMPARE(w.results, std::vector<int>{QDialog::Rejected});
    QVERIFY(w.presenter.shown.empty());
    QCOMPARE(SelectionIndexes(w.core()), before);
    QCOMPARE(w.core().checkRuns(), checks);
    QVERIFY(w.core().customer()[CustomerRecord::Code].empty());
}

void TFoIDCodeTest::reopeningShowsEmptyBoxes() {
    SampleWindows w;
    w.whileOpen([&](QDialog&) { TypeCode(kStandardCode); });
    w.inForm<QAction>("EnterIDCode1")->trigger();
    QStringList texts;
    bool okEnabled = true;
    QString focus;
    w.whileOpen([&](QDialog& dialog) {
        for (int n = 1; n <= 5; ++n)
            texts.append(Box(dialog, n)->text());
        okEnabled = Ok(dialog)->isEnabled();
        focus = FocusName();
        // Esc is Cancel.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
    });
    w.inForm<QAction>("EnterIDCode1")->trigger();
    QCOMPARE(texts, QStringList(5, QString()));
    QVERIFY(!okEnabled);
    QCOMPARE(focus, QStringLiteral("Edit1"));
    QCOMPARE(w.results, (std::vector<int>{QDialog::Rejected, QDialog::Rejected}));
}

void TFoIDCodeTest::pastedCodeSpreadsOverTheBoxes() {
    const struct {
        const char* pasted;
        int box;              // pasted into Edit<box>
        const char* expected; // the five boxes joined by "|"
    } cases[] = {
        {"VK72-1111x-110Ax-00000-00000-M3x", 1, "1111X|110AX|00000|00000|M3X"},
        {"  vk72-2121x-231ax-c0000-000p0-d5x\n", 3, "2121X|231AX|C0000|000P0|D5X"},
        {"1111x110Ax0000000000M3x", 5, "1111X|110AX|00000|00000|M3X"},
        {"1111X 110AX 00000 00000 M3X", 2, "1111X|110AX|00000|00000|M3X"},
        // Not a whole code: pasted into the box as usual, up to its length.
        {"ABCDEFG", 2, "|ABCDE|||"},
        {"VK72-1111x-110Ax-00000-00000-M3", 1, "VK72-||||"},
    };
    SampleWindows w;
    for (const auto& c : cases) {
        QStringList texts;
        QString focus;
        w.whileOpen([&](QDialog& dialog) {
            QGuiApplication::clipboard()->setText(QLatin1String(c.pasted));
            Box(dialog, c.box)->setFocus();
            QTest::keyClick(Box(dialog, c.box), Qt::Key_V, Qt::ControlModifier);
            for (int n = 1; n <= 5; ++n)
                texts.append(Box(dialog, n)->text());
            focus = FocusName();
        });
        w.inForm<QAction>("EnterIDCode1")->trigger();
        QCOMPARE(texts.join(QLatin1Char('|')), QLatin1String(c.expected));
        // A whole code leaves the OK button ready for Enter.
        QCOMPARE(focus == QStringLiteral("BitBtn1"), !texts.contains(QString()));
    }
    // Every text the companion takes as a code is spread here, and no other.
    for (const TypedCodeCase& c : kTypedCodes) {
        QString joined;
        w.whileOpen([&](QDialog& dialog) {
            QGuiApplication::clipboard()->setText(QString::fromUtf8(c.typed));
            QTest::keyClick(Box(dialog, 1), Qt::Key_V, Qt::ControlModifier);
            joined = QStringLiteral("VK72");
            for (int n = 1; n <= 5; ++n)
                joined += QLatin1Char('-') + Box(dialog, n)->text();
        });
        w.inForm<QAction>("EnterIDCode1")->trigger();
        QCOMPARE(joined == QLatin1String(c.normalized), *c.normalized != '\0');
    }
}

QTEST_MAIN(TFoIDCodeTest)
#include "TFoIDCode_test.moc"
