#include "gui/about/TAboutBox.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <optional>

#include "TestFiles.h"
#include "core/session/Configurator.h"
#include "gui/widgets/QtText.h"

using namespace kb;

namespace {

// A catalogue with one part is enough for the About box: it shows the files' versions.
std::string CatalogueText(const std::optional<std::string>& version, bool showPrices) {
    std::string text = "[General]\n";
    if (version)
        text += "Version=" + *version + "\n";
    text += std::string("ShowPrices=") + (showPrices ? "1" : "0") + "\n";
    return text + "[OrderNumbers]\n0=H1\n[Descriptions]\nH1=Housing\n[Index]\nH1=1\n[Housing]\n0=H1\n";
}

template <class W> W* Find(const QWidget& parent, const char* name) {
    W* widget = parent.findChild<W*>(QLatin1String(name));
    if (!widget)
        qFatal("no control named %s", name);
    return widget;
}

} // namespace

class TAboutBoxTest : public QObject {
    Q_OBJECT
  private slots:
    void controlsAndCaptions();
    void versionLine_data();
    void versionLine();
    void refreshedEachTimeShown();
    void withoutConfigurator();
    void okCloses();
};

void TAboutBoxTest::controlsAndCaptions() {
    TAboutBox box;
    box.show();
    QCOMPARE(box.windowTitle(), QStringLiteral("Info"));
    QCOMPARE(box.size(), QSize(573, 286));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    const auto* image = Find<QLabel>(box, "Image1");
    QCOMPARE(image->pixmap().size(), QSize(193, 242));
    QVERIFY(Find<QWidget>(box, "Panel1")->isAncestorOf(image));
    const auto* product = Find<QLabel>(box, "ProductName");
    QCOMPARE(product->text(), QStringLiteral("VK72 Configuration Tool "));
    QVERIFY(product->font().bold());
    QVERIFY(product->font().pointSizeF() > box.font().pointSizeF());
    QCOMPARE(product->palette().color(QPalette::WindowText), QColor(Qt::blue));
    const auto* comments = Find<QLabel>(box, "Comments");
    QVERIFY(comments->wordWrap());
    QCOMPARE(comments->width(), 256);
    QVERIFY(!comments->text().isEmpty());
    QVERIFY(!Find<QLabel>(box, "Copyright")->text().isEmpty());
    // Every label lies wholly on the panel and clear of the picture.
    const QWidget* panel = Find<QWidget>(box, "Panel1");
    for (const char* name : {"ProductName", "Version", "Comments", "Copyright"}) {
        const QRect area = Find<QLabel>(box, name)->geometry();
        QVERIFY2(panel->rect().contains(area), name);
        QVERIFY2(!area.intersects(image->geometry()), name);
    }
    const auto* ok = Find<QPushButton>(box, "OKButton");
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QVERIFY(ok->isDefault());
    QVERIFY(box.rect().contains(ok->geometry()));
}

void TAboutBoxTest::versionLine_data() {
    QTest::addColumn<QString>("version");
    QTest::addColumn<bool>("priceFile");
    QTest::addColumn<bool>("showPrices");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both files") << QStringLiteral("3.1") << true << true
                                << QStringLiteral("Version 2.0 / INI 3.1 / Price 01.03.2026");
    QTest::newRow("prices not shown") << QStringLiteral("3.1") << true << false
                                      << QStringLiteral("Version 2.0 / INI 3.1 / Price 01.03.2026");
    QTest::newRow("no price file") << QStringLiteral("1.7") << false << true
                                   << QStringLiteral("Version 2.0 / INI 1.7");
    QTest::newRow("no catalogue version")
        << QString() << true << true << QStringLiteral("Version 2.0 / INI ??? / Price 01.03.2026");
}

void TAboutBoxTest::versionLine() {
    QFETCH(QString, version);
    QFETCH(bool, priceFile);
    QFETCH(bool, showPrices);
    QFETCH(QString, expected);

    TempDir dir;
    const std::optional<std::string> catalogueVersion =
        version.isNull() ? std::nullopt : std::optional<std::string>(FromQ(version));
    const std::string ini = dir.write("KITBUILDER.INI", CatalogueText(catalogueVersion, showPrices));
    const std::string prs = priceFile
                                ? dir.write("KITBUILDER.PRS", "[General]\nDate=01.03.2026\n[Prices]\nH1=10\n")
                                : dir.file("KITBUILDER.PRS");
    Configurator core;
    QCOMPARE(core.LoadCatalogue(ini, prs).result, LoadResult::Loaded);
    QCOMPARE(core.showPricesChecked(), priceFile && showPrices);

    TAboutBox box(&core);
    box.show();
    QCOMPARE(Find<QLabel>(box, "Version")->text(), expected);
}

void TAboutBoxTest::refreshedEachTimeShown() {
    TempDir dir;
    const std::string ini = dir.write("KITBUILDER.INI", CatalogueText("1.0", true));
    Configurator core;
    QCOMPARE(core.LoadCatalogue(ini, dir.file("KITBUILDER.PRS")).result, LoadResult::Loaded);
    TAboutBox box(&core);
    box.show();
    QCOMPARE(Find<QLabel>(box, "Version")->text(), QStringLiteral("Version 2.0 / INI 1.0"));
    box.hide();

    dir.write("KITBUILDER.INI", CatalogueText("1.1", true));
    const std::string prs = dir.write("KITBUILDER.PRS", "[General]\nDate=2026-04-01\n[Prices]\nH1=10\n");
    QCOMPARE(core.LoadCatalogue(ini, prs).result, LoadResult::Loaded);
    box.show();
    QCOMPARE(Find<QLabel>(box, "Version")->text(),
             QStringLiteral("Version 2.0 / INI 1.1 / Price 2026-04-01"));
}

void TAboutBoxTest::withoutConfigurator() {
    TAboutBox box;
    box.show();
    QCOMPARE(Find<QLabel>(box, "Version")->text(), QStringLiteral("Version 2.0 / INI ???"));
}

void TAboutBoxTest::okCloses() {
    TAboutBox box;
    box.show();
    QVERIFY(box.isVisible());
    QTest::mouseClick(Find<QPushButton>(box, "OKButton"), Qt::LeftButton);
    QVERIFY(!box.isVisible());
    QCOMPARE(box.result(), int(QDialog::Accepted));

    box.show();
    QTest::keyClick(&box, Qt::Key_Return);
    QVERIFY(!box.isVisible());
}

QTEST_MAIN(TAboutBoxTest)
#include "TAboutBox_test.moc"
