#include "RecordingPresenter.h"
#include "gui/about/TNewVersionBox.h"

#include <QDir>
#include <QGuiApplication>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "TestFiles.h"
#include "core/richtext/RtfReader.h"
#include "core/richtext/RtfWriter.h"
#include "gui/widgets/QtText.h"
#include "gui/widgets/RtfTextDocument.h"

using namespace kb;

namespace {

const QString kDefaultText =
    QStringLiteral("Was not able to open file \"NewVersion.rtf\". \n"
                   "Must be located in same directory than KitBuilder and may not be \n"
                   "opened by another application.");

template <class W> W* Find(const QWidget& parent, const char* name) {
    W* widget = parent.findChild<W*>(QLatin1String(name));
    if (!widget)
        qFatal("no control named %s", name);
    return widget;
}

RtfTableStyle OrderListStyle() {
    RtfTableStyle style;
    style.tabStopsPoints = {70, 150, 325, 405, 480};
    return style;
}

// An order list's shape; every cell names its row and column, and none is a bare number,
// so a page number would stand out.
std::vector<std::vector<std::string>> OrderRows(int count) {
    std::vector<std::vector<std::string>> rows = {{"Order", "Type", "Description", "Price", "Qty"}};
    for (int n = 0; n < count; ++n) {
        std::string id = std::to_string(n);
        id.insert(0, 4 - std::min<std::size_t>(id.size(), 4), '0');
        rows.push_back({"N" + id, "T" + id, "D" + id + " part", "P" + id + ",50", "Q" + id});
    }
    return rows;
}

struct PdfWord {
    int page;
    double x;
    double y;
    QString text;
};

// The words of a PDF with their boxes in points from the page's top left corner.
std::vector<PdfWord> PdfWords(const QString& pdf, QString* failure) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        *failure =
            QStringLiteral("pdftotext failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
        return {};
    }
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression tag(QStringLiteral(
        R"re(<page |<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="[0-9.]+" yMax="[0-9.]+">([^<]*)</word>)re"));
    std::vector<PdfWord> words;
    int page = -1;
    for (auto match = tag.globalMatch(html); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        if (m.captured(0) == QStringLiteral("<page "))
            ++page;
        else
            words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3)});
    }
    return words;
}

int PdfPageCount(const QString& pdf, QString* failure) {
    QProcess process;
    process.start(QStringLiteral("pdfinfo"), {pdf});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        *failure =
            QStringLiteral("pdfinfo failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
        return -1;
    }
    static const QRegularExpression pages(QStringLiteral(R"(^Pages:\s+(\d+)$)"),
                                          QRegularExpression::MultilineOption);
    return pages.match(QString::fromUtf8(process.readAllStandardOutput())).captured(1).toInt();
}

} // namespace

class TNewVersionBoxTest : public QObject {
    Q_OBJECT
  private slots:
    void init();
    void cleanup();
    void controlsAndDefaultText();
    void loadsNotesFromTheWorkingFolder();
    void loadsTheShippedNotes();
    void brokenFileKeepsThePreviousContents_data();
    void brokenFileKeepsThePreviousContents();
    void plainTextAndEmptyFiles_data();
    void plainTextAndEmptyFiles();
    void okCloses();
    void fillTextDocument();
    void printTextDocument_data();
    void printTextDocument();

  private:
    std::unique_ptr<TempDir> m_dir;
    QString m_previousFolder;
};

void TNewVersionBoxTest::init() {
    m_dir = std::make_unique<TempDir>();
    m_previousFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(PathToQ(m_dir->path().string())));
}

void TNewVersionBoxTest::cleanup() {
    QDir::setCurrent(m_previousFolder);
    m_dir.reset();
}

void TNewVersionBoxTest::controlsAndDefaultText() {
    RecordingPresenter presenter;
    TNewVersionBox box(&presenter);
    box.show();
    QCOMPARE(box.windowTitle(), QStringLiteral("New in this version ..."));
    QCOMPARE(box.size(), QSize(669, 300));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    const auto* edit = Find<QTextEdit>(box, "RichEdit1");
    QCOMPARE(edit->size(), QSize(649, 225));
    QVERIFY(edit->isReadOnly());
    QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(edit->toPlainText(), kDefaultText);
    const auto* ok = Find<QPushButton>(box, "BuOK");
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QVERIFY(box.rect().contains(ok->geometry()));
    QVERIFY(!ok->geometry().intersects(edit->geometry()));
    QVERIFY(presenter.shown.empty());
}

void TNewVersionBoxTest::loadsNotesFromTheWorkingFolder() {
    RecordingPresenter presenter;
    TNewVersionBox box(&presenter);
    const auto* edit = Find<QTextEdit>(box, "RichEdit1");
    m_dir->write("NewVersion.rtf",
                 "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0{\\b Heading}\\par K\\'e4se\\tab 1\\par}");

    box.show();
    QCOMPARE(edit->toPlainText(), QStringLiteral("Heading\nK\u00e4se\t1"));
    QVERIFY(edit->document()->firstBlock().begin().fragment().charFormat().font().bold());
    box.hide();

    // The notes stay once loaded, and a changed file replaces them on the next showing.
    std::filesystem::remove(m_dir->file("NewVersion.rtf"));
    box.show();
    QCOMPARE(edit->toPlainText(), QStringLiteral("Heading\nK\u00e4se\t1"));
    box.hide();
    m_dir->write("NewVersion.rtf", "{\\rtf1 Changed\\par}");
    box.show();
    QCOMPARE(edit->toPlainText(), QStringLiteral("Changed"));
    QVERIFY(presenter.shown.empty());
}

void TNewVersionBoxTest::loadsTheShippedNotes() {
    std::filesystem::copy_file(std::filesystem::path(KITBUILDER_DATA_DIR) / "NewVersion.rtf",
                               m_dir->path() / "NewVersion.rtf");
    RecordingPresenter presenter;
    TNewVersionBox box(&presenter);
    box.show();
    const QTextDocument* document = Find<QTextEdit>(box, "RichEdit1")->document();
    QVERIFY(presenter.shown.empty());
    QCOMPARE(document->firstBlock().text(), QStringLiteral("VK72 Configuration Tool 2.0"));
    QVERIFY(document->firstBlock().begin().fragment().charFormat().font().bold());
    QVERIFY(document->blockCount() > 5);
    QVERIFY(!document->toPlainText().contains(QStringLiteral("Release notes")));
}

void TNewVersionBoxTest::brokenFileKeepsThePreviousContents_data() {
    QTest::addColumn<bool>("loadFirst");
    QTest::addColumn<bool>("folder");
    QTest::newRow("unreadable after notes") << true << true;
    QTest::newRow("unreadable at first") << false << true;
}

void TNewVersionBoxTest::brokenFileKeepsThePreviousContents() {
    QFETCH(bool, loadFirst);
    QFETCH(bool, folder);
    RecordingPresenter presenter;
    TNewVersionBox box(&presenter);
    const auto* edit = Find<QTextEdit>(box, "RichEdit1");
    QString before = kDefaultText;
    if (loadFirst) {
        m_dir->write("NewVersion.rtf", "{\\rtf1 Notes of 2.0\\par}");
        box.show();
        box.hide();
        before = QStringLiteral("Notes of 2.0");
        QCOMPARE(edit->toPlainText(), before);
    }
    std::filesystem::remove(m_dir->file("NewVersion.rtf"));
    if (folder)
        std::filesystem::create_directory(m_dir->file("NewVersion.rtf"));
    else
        m_dir->write("NewVersion.rtf", "Notes of 2.1, saved as plain text");

    box.show();
    QCOMPARE(presenter.shown.size(), std::size_t{1});
    QCOMPARE(int(presenter.shown[0].kind), int(Message::Kind::Error));
    QVERIFY2(presenter.shown[0].text.find("\"NewVersion.rtf\"") != std::string::npos,
             presenter.shown[0].text.c_str());
    QCOMPARE(edit->toPlainText(), before);
}

void TNewVersionBoxTest::plainTextAndEmptyFiles_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("shown");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("plain text, CRLF") << QByteArray("Notes of 2.1\r\n\r\n- {braces} \\ and\ttab\r\n")
                                      << QStringLiteral("Notes of 2.1\n\n- {braces} \\ and\ttab");
    QTest::newRow("Windows-1252 lines")
        << QByteArray("Wei\xDF \x80 \x93x\x94\nDvo\xC5\x99\xC3\xA1k \xF0\x9F\x98\x80")
        << QStringLiteral("Wei\u00df \u20ac \u201cx\u201d\nDvo\u0159\u00e1k \U0001F600");
    QTest::newRow("UTF-8 with BOM") << QByteArray("\xEF\xBB\xBF\xE2\x82\xAC 5") << QStringLiteral("\u20ac 5");
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFE\xAC\x20\x0A\x00\x3D\xD8\x00\xDE", 10)
                            << QStringLiteral("\u20ac\n\U0001F600");
}

void TNewVersionBoxTest::plainTextAndEmptyFiles() {
    QFETCH(QByteArray, content);
    QFETCH(QString, shown);
    RecordingPresenter presenter;
    TNewVersionBox box(&presenter);
    m_dir->write("NewVersion.rtf", content.toStdString());
    box.show();
    QVERIFY(presenter.shown.empty());
    QCOMPARE(Find<QTextEdit>(box, "RichEdit1")->toPlainText(), shown);
}

void TNewVersionBoxTest::okCloses() {
    RecordingPresenter presenter;
    TNewVersionBox box(&presenter);
    box.show();
    QTest::mouseClick(Find<QPushButton>(box, "BuOK"), Qt::LeftButton);
    QVERIFY(!box.isVisible());

    // Enter in the read-only text is not taken as input: it closes the window.
    box.show();
    QTest::keyClick(Find<QTextEdit>(box, "RichEdit1"), Qt::Key_Return);
    QVERIFY(!box.isVisible());
    QCOMPARE(Find<QTextEdit>(box, "RichEdit1")->toPlainText(), kDefaultText);
}

void TNewVersionBoxTest::fillTextDocument() {
    const Result<RtfDocument> rtf =
        ReadRtf(WriteRtfTable({{"Order", "Type"}, {"N1", "K\xE4se"}, {}}, OrderListStyle()));
    QVERIFY(rtf.has_value());
    QTextDocument document;
    document.setPlainText(QStringLiteral("old content"));
    FillTextDocument(document, *rtf);

    QCOMPARE(document.toPlainText(), QStringLiteral("Order\tType\t\nN1\tK\u00e4se\t\n"));
    QCOMPARE(document.defaultFont().family(), QStringLiteral("Arial Narrow"));
    QCOMPARE(document.defaultFont().pointSizeF(), 10.0);

    const QTextBlock heading = document.firstBlock();
    for (auto it = heading.begin(); !it.atEnd(); ++it) {
        QVERIFY(it.fragment().charFormat().font().bold());
        QVERIFY(it.fragment().charFormat().fontUnderline());
    }
    const QTextBlock row = heading.next();
    QVERIFY(!row.begin().fragment().charFormat().font().bold());
    QVERIFY(!row.begin().fragment().charFormat().fontUnderline());

    // Laid out on the screen, the second cell starts at the first tab stop, 70 pt from the edge.
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    document.setDocumentMargin(0);
    document.setTextWidth(2000);
    document.size();
    const QTextLine line = row.layout()->lineAt(0);
    QVERIFY(line.isValid());
    QCOMPARE(qRound(line.cursorToX(3)), qRound(70 * dpi / 72));
    QCOMPARE(row.blockFormat().tabPositions().size(), 5);

    // A hanging indent: the bullet at the edge, the text and its wrapped lines at the indent.
    const Result<RtfDocument> item = ReadRtf("{\\rtf1\\li720\\fi-720\\tx720 -\\tab " + std::string(20, 'w') +
                                             " " + std::string(20, 'w') + "\\par}");
    QVERIFY(item.has_value());
    FillTextDocument(document, *item);
    document.setDocumentMargin(0);
    document.setTextWidth(300);
    document.size();
    const QTextLayout* layout = document.firstBlock().layout();
    QCOMPARE(layout->lineCount(), 2);
    QCOMPARE(qRound(layout->lineAt(0).cursorToX(0)), 0);
    QCOMPARE(qRound(layout->lineAt(0).cursorToX(2)), qRound(36 * dpi / 72));
    QCOMPARE(qRound(layout->lineAt(1).x()), qRound(36 * dpi / 72));
}

void TNewVersionBoxTest::printTextDocument_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    // About seventy 10 pt lines fill an A4 page inside 10 mm margins.
    QTest::newRow("order list") << 37 << 1;
    QTest::newRow("long list") << 150 << 3;
}

void TNewVersionBoxTest::printTextDocument() {
    QFETCH(int, rows);
    QFETCH(int, pages);
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QFAIL("pdftotext and pdfinfo (package poppler-utils) are needed: run scripts/install-deps.sh");

    const Result<RtfDocument> rtf = ReadRtf(WriteRtfTable(OrderRows(rows), OrderListStyle()));
    QVERIFY(rtf.has_value());
    QTextDocument document;
    FillTextDocument(document, *rtf);

    const QString pdf = PathToQ(m_dir->file("orderlist.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setDocName(QStringLiteral("Orderlist"));
    printer.setPageSize(QPageSize(QPageSize::A4));
    constexpr qreal marginMm = 10;
    printer.setPageMargins(QMarginsF(marginMm, marginMm, marginMm, marginMm), QPageLayout::Millimeter);
    QVERIFY(PrintTextDocument(document, printer));
    QVERIFY(QFileInfo::exists(pdf));

    QString failure;
    QCOMPARE(PdfPageCount(pdf, &failure), pages);
    const std::vector<PdfWord> words = PdfWords(pdf, &failure);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));

    // Every row once, in order, the pages following each other; each page's text begins at
    // the printable area's corner; the cells stand at the tab stops; no page numbers.
    const qreal margin = marginMm / 25.4 * 72;
    const qreal columns[] = {0, 70, 150, 325, 405};
    int nextRow = 0;
    std::vector<double> pageTop(pages, 1e9);
    for (const PdfWord& word : words) {
        QVERIFY2(word.page >= 0 && word.page < pages, qPrintable(word.text));
        pageTop[word.page] = std::min(pageTop[word.page], word.y);
        static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
        QVERIFY2(!digits.match(word.text).hasMatch(), qPrintable(word.text));
        const int column = QStringLiteral("NTDPQ").indexOf(word.text.front());
        if (column < 0 || word.text.size() < 5 || word.text.at(1) > QLatin1Char('9'))
            continue;
        QVERIFY2(qAbs(word.x - (margin + columns[column])) < 1.5, qPrintable(word.text));
        if (column == 0) {
            QCOMPARE(word.text.mid(1).toInt(), nextRow);
            ++nextRow;
        }
    }
    QCOMPARE(nextRow, rows);
    for (int page = 0; page < pages; ++page)
        QVERIFY2(qAbs(pageTop[page] - margin) < 3, qPrintable(QString::number(pageTop[page])));
}

QTEST_MAIN(TNewVersionBoxTest)
#include "TNewVersionBox_test.moc"
