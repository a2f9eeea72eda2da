#include "dialogs/ui/RtfTextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <memory>

#include "app/ui/QtText.h"
#include "dialogs/RtfReader.h"

namespace {

constexpr qreal kTwipsPerPoint = 20.0;
constexpr qreal kPointsPerInch = 72.0;

// The resolution of the document's own units: the screen's. Laid out on another paint
// device (a printer), the layout scales tab positions from it to that device itself.
qreal DocumentDpi() {
    if (QCoreApplication::testAttribute(Qt::AA_Use96Dpi))
        return 96.0;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        return qRound(screen->logicalDotsPerInchY());
    return 96.0;
}

QTextBlockFormat BlockFormat(const RtfParagraph& paragraph, qreal dpi) {
    const auto length = [dpi](int twips) { return twips / kTwipsPerPoint * dpi / kPointsPerInch; };
    QList<QTextOption::Tab> tabs;
    tabs.reserve(static_cast<qsizetype>(paragraph.tabStopsTwips.size()));
    for (const int twips : paragraph.tabStopsTwips)
        tabs.append(QTextOption::Tab(length(twips), QTextOption::LeftTab));
    QTextBlockFormat format;
    format.setTabPositions(tabs);
    format.setLeftMargin(length(paragraph.leftIndentTwips));
    format.setTextIndent(length(paragraph.firstLineIndentTwips));
    return format;
}

QTextCharFormat CharFormat(const RtfRun& run) {
    QTextCharFormat format;
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(run.italic);
    format.setFontUnderline(run.underline);
    return format;
}

} // namespace

void FillTextDocument(QTextDocument& document, const RtfDocument& rtf) {
    document.clear();
    QFont font = document.defaultFont();
    if (!rtf.fontName.empty())
        font.setFamilies({ToQ(rtf.fontName)});
    font.setPointSizeF(rtf.fontHalfPoints / 2.0);
    document.setDefaultFont(font);

    const qreal dpi = DocumentDpi();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    bool first = true;
    for (const RtfParagraph& paragraph : rtf.paragraphs) {
        if (first)
            cursor.setBlockFormat(BlockFormat(paragraph, dpi));
        else
            cursor.insertBlock(BlockFormat(paragraph, dpi), QTextCharFormat());
        first = false;
        for (const RtfRun& run : paragraph.runs)
            cursor.insertText(ToQ(run.text), CharFormat(run));
    }
    cursor.endEditBlock();
}

bool PrintTextDocument(const QTextDocument& document, QPrinter& printer) {
    // The painter's origin is the printable area's corner; the page is that area.
    const QSizeF pageSize = printer.pageLayout().paintRectPixels(printer.resolution()).size();
    if (pageSize.isEmpty())
        return false;
    QPainter painter;
    if (!painter.begin(&printer))
        return false;

    const std::unique_ptr<QTextDocument> pages(document.clone());
    pages->documentLayout()->setPaintDevice(&printer);
    pages->setDocumentMargin(0);
    pages->setPageSize(pageSize);
    const qreal pageHeight = pageSize.height();
    const int pageCount = pages->pageCount();

    // Drawn line by line: the layout moves a line that would cross the foot of a page onto the
    // next one, and drawing by page rectangles would still put it, clipped, into the page before.
    int page = 0;
    for (QTextBlock block = pages->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* text = block.layout();
        const QPointF origin = text->position();
        for (int i = 0; i < text->lineCount(); ++i) {
            const QTextLine line = text->lineAt(i);
            const int linePage =
                std::clamp(static_cast<int>((origin.y() + line.y()) / pageHeight), 0, pageCount - 1);
            for (; page < linePage; ++page) {
                if (!printer.newPage()) {
                    painter.end();
                    return false;
                }
            }
            line.draw(&painter, QPointF(origin.x(), origin.y() - page * pageHeight));
        }
    }
    return painter.end();
}
