#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTest>

#include "SampleWindows.h"
#include "TestFiles.h"
#include "core/richtext/RtfReader.h"
#include "gui/widgets/FileDialogs.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

// Czech, the euro sign, Polish, Chinese and a character beyond 16 bits.
const QString kWorld = QStringLiteral("Dvo\u0159\u00e1k \u20ac \u0141\u00f3d\u017a \u5317\u4eac \U0001F600");

QLineEdit* Box(QDialog& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QLatin1String(name));
}

void Type(QDialog& dialog, const char* box, const QString& text) {
    QLineEdit* edit = Box(dialog, box);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    // Key events that carry each character as typed text, as a keyboard layout or an input
    // method delivers it; a character beyond 16 bits comes as one event with its surrogate pair.
    for (const uint codePoint : text.toUcs4()) {
        const QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1);
        QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_unknown, character, Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_unknown, character, Qt::NoModifier);
    }
}

} // namespace

class UnicodeRoundTripTest : public QObject {
    Q_OBJECT
  private slots:
    void typedTextSurvivesSaveRestartOpenOrderListRtfAndClipboard();
};

void UnicodeRoundTripTest::typedTextSurvivesSaveRestartOpenOrderListRtfAndClipboard() {
    TempDir orders;
    const std::string path = orders.file("M\u00fcller.CST");
    {
        SampleWindows w;
        w.whileOpen([&](QDialog& dialog) {
            Type(dialog, "EdCompany1", kWorld);
            Type(dialog, "EdName1", kWorld);
            Type(dialog, "EdStreet", QStringLiteral("Ulica \u2013 1"));
            Type(dialog, "EdCity", QStringLiteral("\u0141\u00f3d\u017a"));
            QCOMPARE(Box(dialog, "EdName1")->text(), kWorld);
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("BtnSaveFields")),
                              Qt::LeftButton);
        });
        QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
        QVERIFY(w.presenter.shown.empty());
        FileDialogs::setNextFileName(PathToQ(path));
        w.inForm<QAction>("FileSave")->trigger();
        QVERIFY(w.presenter.shown.empty());
    }

    // The program started again opens the order.
    SampleWindows w;
    FileDialogs::setNextFileName(PathToQ(path));
    w.inForm<QAction>("FileOpen")->trigger();
    QVERIFY(w.presenter.shown.empty());
    QCOMPARE(w.form->windowTitle(), QStringLiteral("VK72 Configuration Tool 2.0 [Customer: ") + kWorld +
                                        QStringLiteral("] [File: M\u00fcller.CST]"));
    QStringList texts;
    w.whileOpen([&](QDialog& dialog) {
        texts = {Box(dialog, "EdCompany1")->text(), Box(dialog, "EdName1")->text(),
                 Box(dialog, "EdStreet")->text(), Box(dialog, "EdCity")->text()};
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnCustomer"), Qt::LeftButton);
    QCOMPARE(texts, (QStringList{kWorld, kWorld, QStringLiteral("Ulica \u2013 1"),
                                 QStringLiteral("\u0141\u00f3d\u017a")}));

    // The order list's table, its RTF copy read back by our reader, and the clipboard.
    QGuiApplication::clipboard()->clear();
    w.whileOpen([&](QDialog& dialog) {
        const auto* table = dialog.findChild<QTableWidget*>(QStringLiteral("Tab1"));
        QCOMPARE(table->findItems(kWorld, Qt::MatchExactly).size(), 2);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("ClipButton")), Qt::LeftButton);
    });
    QTest::mouseClick(w.inForm<QPushButton>("BtnShowOrderlist"), Qt::LeftButton);
    const std::string rtf = FoOrderlist->richText();
    QVERIFY(std::all_of(rtf.begin(), rtf.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
    const Result<RtfDocument> read = ReadRtf(rtf);
    QVERIFY(read.has_value());
    int found = 0;
    for (const RtfParagraph& paragraph : read->paragraphs)
        found += ToQ(read->Text(paragraph)).contains(QLatin1Char('\t') + kWorld + QLatin1Char('\t'));
    QCOMPARE(found, 2);

    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->text().count(kWorld), 2);
    QCOMPARE(data->data(QStringLiteral("text/rtf")).toStdString(), rtf);

    // Another RTF reader sees every character: unrtf names each in its HTML.
    if (QStandardPaths::findExecutable(QStringLiteral("unrtf")).isEmpty())
        QFAIL("unrtf is needed: run scripts/install-deps.sh");
    const std::string rtfFile = orders.write("order.rtf", rtf);
    QProcess unrtf;
    unrtf.start(QStringLiteral("unrtf"), {QStringLiteral("--html"), PathToQ(rtfFile)});
    QVERIFY(unrtf.waitForFinished(60000));
    const QByteArray html = unrtf.readAllStandardOutput();
    QVERIFY2(
        html.contains("Dvo&#345;&aacute;k &euro; &#321;&oacute;d&#378; &#21271;&#20140; &#55357;&#56832;"),
        html.constData());
}

QTEST_MAIN(UnicodeRoundTripTest)
#include "UnicodeRoundTrip_test.moc"
