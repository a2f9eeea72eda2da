#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

#include "SampleWindows.h"
#include "SmallCatalogue.h"
#include "gui/compare/TFoCompare.h"
#include "gui/widgets/FileDialogs.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

// A new release of the sample beside the window's catalogue: one price raised, and a folder of
// two orders of which the raise touches one.
struct Release {
    QString oldCatalogue, newCatalogue, orders;
};

Release WriteRelease(SampleWindows& w) {
    std::filesystem::create_directories(w.folder() / "new");
    Release release;
    release.oldCatalogue = PathToQ(w.file("KITBUILDER.INI"));
    release.newCatalogue = PathToQ(w.write("new/KITBUILDER.INI", ReadFileBytes(w.file("KITBUILDER.INI"))));
    w.write("new/KITBUILDER.PRS",
            ReplaceOnce(ReadFileBytes(w.file("KITBUILDER.PRS")), "72110202=690", "72110202=759"));
    w.write("orders/small.CST", CustomerFileText("Acme", "Ann", "VK72-1111x-110Ax-00000-00000-M3x"));
    w.write("orders/large.CST", CustomerFileText("Bolt", "Bob", "VK72-2111x-110Ax-00000-00000-M3x"));
    release.orders = PathToQ((w.folder() / "orders").string());
    return release;
}

TFoCompare* OpenFromMenu(SampleWindows& w) {
    w.inForm<QAction>("CompareCatalogues1")->trigger();
    TFoCompare* window = w.form->FoCompare();
    if (!window)
        qFatal("the menu item made no window");
    return window;
}

QString Status(TFoCompare* window) {
    return window->findChild<QLabel*>(QStringLiteral("LaStatus"))->text();
}

QPushButton* ButtonOf(TFoCompare* window, const char* name) {
    return window->findChild<QPushButton*>(QLatin1String(name));
}

} // namespace

class TFoCompareTest : public QObject {
    Q_OBJECT

  private slots:
    void menuOpensAWindowOnTheProgramsCatalogue();
    void reportIsShownSavedAndCopied();
    void cancelAnswersAtOnce();
    void unreadableCatalogueIsNamed();
};

void TFoCompareTest::menuOpensAWindowOnTheProgramsCatalogue() {
    SampleWindows w;
    QAction* action = w.inForm<QAction>("CompareCatalogues1");
    QCOMPARE(action->text(), QStringLiteral("Compare &Catalogues…"));
    QVERIFY(w.inForm<QMenu>("Extra1")->actions().contains(action));
    TFoCompare* window = OpenFromMenu(w);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowModality(), Qt::NonModal);
    QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("EdOldCatalogue"))->text(),
             PathToQ(w.core().cataloguePath()));
    QVERIFY(!window->running());
    QVERIFY(!ButtonOf(window, "BtnSaveHtml")->isEnabled());

    // Without a new catalogue nothing runs.
    ButtonOf(window, "BtnCompare")->click();
    QVERIFY(!window->running());
    QCOMPARE(Status(window), QStringLiteral("Choose the old and the new catalogue."));
}

void TFoCompareTest::reportIsShownSavedAndCopied() {
    SampleWindows w;
    const Release release = WriteRelease(w);
    TFoCompare* window = OpenFromMenu(w);
    window->setFiles(release.oldCatalogue, release.newCatalogue, release.orders);
    QSignalSpy ended(window, &TFoCompare::compareEnded);
    ButtonOf(window, "BtnCompare")->click();
    QVERIFY(window->running());
    QTRY_VERIFY(!window->running());
    QCOMPARE(ended.size(), 1);
    QCOMPARE(Status(window), QStringLiteral("1 change; 1 of 2 orders affected"));
    QVERIFY(w.presenter.shown.empty());
    const QString shown = window->findChild<QTextBrowser*>(QStringLiteral("Report"))->toPlainText();
    QVERIFY2(shown.contains(QStringLiteral("Prices changed (1)")), qPrintable(shown));
    QVERIFY(shown.contains(QStringLiteral("+10,0 %")));

    QApplication::clipboard()->clear();
    ButtonOf(window, "BtnCopy")->click();
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    QCOMPARE(copied->text(), ToQ(ComparisonText(*window->comparison())));
    QVERIFY(copied->text().startsWith(QStringLiteral("price\t72110202\t690\t759 (+10,0 %)\norder\t")));
    QVERIFY(copied->html().contains(QStringLiteral("Prices changed (1)")));

    const std::string saved = w.file("report.html");
    FileDialogs::setNextFileName(PathToQ(saved));
    ButtonOf(window, "BtnSaveHtml")->click();
    QCOMPARE(FileDialogs::lastRequest().defaultSuffix, QStringLiteral("html"));
    QVERIFY(ReadFileBytes(saved).starts_with("<!DOCTYPE html>"));
    QCOMPARE(ToQ(ReadFileBytes(saved)), copied->html());
}

void TFoCompareTest::cancelAnswersAtOnce() {
    SampleWindows w;
    const Release release = WriteRelease(w);
    TFoCompare* window = OpenFromMenu(w);
    window->setFiles(release.oldCatalogue, release.newCatalogue, release.orders);
    QSignalSpy ended(window, &TFoCompare::compareEnded);
    ButtonOf(window, "BtnCompare")->click();
    QVERIFY(!ButtonOf(window, "BtnCancel")->isHidden());
    ButtonOf(window, "BtnCancel")->click();
    QVERIFY(!window->running());
    QCOMPARE(ended.size(), 1);
    QCOMPARE(Status(window), QStringLiteral("Cancelled."));
    QVERIFY(ButtonOf(window, "BtnCancel")->isHidden());
    // The abandoned run's result never arrives.
    QTest::qWait(200);
    QVERIFY(!window->comparison());
    QCOMPARE(ended.size(), 1);
}

void TFoCompareTest::unreadableCatalogueIsNamed() {
    SampleWindows w;
    TFoCompare* window = OpenFromMenu(w);
    const QString missing = PathToQ(w.file("NONE.INI"));
    window->setFiles(PathToQ(w.core().cataloguePath()), missing, QString());
    ButtonOf(window, "BtnCompare")->click();
    QTRY_VERIFY(!window->running());
    QCOMPARE(w.presenter.shown.size(), 1u);
    QCOMPARE(ToQ(w.presenter.shown[0].text), QStringLiteral("Cannot read \"%1\": no such file").arg(missing));
    QCOMPARE(Status(window), ToQ(w.presenter.shown[0].text));
    QVERIFY(!ButtonOf(window, "BtnSaveHtml")->isEnabled());
}

QTEST_MAIN(TFoCompareTest)
#include "TFoCompare_test.moc"
