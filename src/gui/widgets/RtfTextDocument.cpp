#include "gui/widgets/RtfTextDocument.h"

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
#include <cstdint>
#include <memory>
#include <vector>

#include "core/richtext/RtfReader.h"
#include "gui/widgets/QtText.h"

using namespace kb;

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

QTextBlockFormat BlockFormat(const RtfDocument& rtf, const RtfParagraph& paragraph, qreal dpi) {
    const auto length = [dpi](int twips) { return twips / kTwipsPerPoint * dpi / kPointsPerInch; };
    const RtfParagraphFormat& paragraphFormat = rtf.Format(paragraph);
    const std::vector<int>& stops = rtf.TabStops(paragraph);
    QList<QTextOption::Tab> tabs;
    tabs.reserve(static_cast<qsizetype>(stops.size()));
    for (const int twips : stops)
        tabs.append(QTextOption::Tab(length(twips), QTextOption::LeftTab));
    QTextBlockFormat format;
    format.setTabPositions(tabs);
    format.setLeftMargin(length(paragraphFormat.leftIndentTwips));
    format.setRightMargin(length(paragraphFormat.rightIndentTwips));
    format.setTextIndent(length(paragraphFormat.firstLineIndentTwips));
    format.setTopMargin(length(paragraphFormat.spaceBeforeTwips));
    format.setBottomMargin(length(paragraphFormat.spaceAfterTwips));
    switch (paragraphFormat.alignment) {
    case RtfAlignment::Left:
        format.setAlignment(Qt::AlignLeft);
        break;
    case RtfAlignment::Center:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case RtfAlignment::Right:
        format.setAlignment(Qt::AlignRight);
        break;
    case RtfAlignment::Justify:
        format.setAlignment(Qt::AlignJustify);
        break;
    }
    return format;
}

QFont::StyleHint StyleHint(const std::string& family) {
    if (family == "roman")
        return QFont::Serif;
    if (family == "swiss")
        return QFont::SansSerif;
    if (family == "modern")
        return QFont::TypeWriter;
    if (family == "script")
        return QFont::Cursive;
    if (family == "decor")
        return QFont::Decorative;
    return QFont::AnyStyle;
}

QTextCharFormat CharFormat(const RtfDocument& rtf, const RtfCharFormat& run) {
    QTextCharFormat format;
    const RtfFont& font = rtf.fonts[run.font];
    if (!font.name.empty())
        format.setFontFamilies({ToQ(font.name)});
    format.setFontStyleHint(StyleHint(font.family));
    format.setFontPointSize(run.halfPoints / 2.0);
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(run.italic);
    format.setFontUnderline(run.underline);
    format.setFontStrikeOut(run.strike);
    if (run.color != kRtfAutoColor)
        format.setForeground(QColor::fromRgb(static_cast<QRgb>(run.color)));
    return format;
}

} // namespace

// Writes the paragraphs of an RTF document into a document, a batch at a time.
class DocumentWriter {
  public:
    DocumentWriter(QTextDocument& document, const RtfDocument& rtf)
        : m_rtf(rtf), m_cursor(&document), m_dpi(DocumentDpi()) {
        document.clear();
        QFont font = document.defaultFont();
        if (!rtf.fontName.empty())
            font.setFamilies({ToQ(rtf.fontName)});
        font.setPointSizeF(rtf.fontHalfPoints / 2.0);
        document.setDefaultFont(font);
        // Each format is made once, however many runs share it.
        m_charFormats.reserve(rtf.charFormats.size());
        for (const RtfCharFormat& format : rtf.charFormats)
            m_charFormats.push_back(CharFormat(rtf, format));
    }

    // Paragraphs until at least the given characters or runs are written; true when all are.
    bool Write(std::size_t characters, std::size_t runs) {
        std::size_t written = 0;
        std::size_t runsWritten = 0;
        m_cursor.beginEditBlock();
        for (; m_next < m_rtf.paragraphs.size() && written < characters && runsWritten < runs; ++m_next) {
            const RtfParagraph& paragraph = m_rtf.paragraphs[m_next];
            if (m_next == 0)
                m_cursor.setBlockFormat(BlockFormat(m_rtf, paragraph, m_dpi));
            else
                m_cursor.insertBlock(BlockFormat(m_rtf, paragraph, m_dpi), QTextCharFormat());
            for (const RtfRun& run : m_rtf.Runs(paragraph)) {
                QString text = ToQ(std::string(m_rtf.Text(run)));
                text.replace(QLatin1Char('\n'), QChar::LineSeparator);
                written += static_cast<std::size_t>(text.size());
                m_cursor.insertText(text, m_charFormats[run.format]);
            }
            runsWritten += paragraph.runCount;
        }
        // The document lays the batch out here, when it is shown.
        m_cursor.endEditBlock();
        return m_next == m_rtf.paragraphs.size();
    }

  private:
    const RtfDocument& m_rtf;
    QTextCursor m_cursor;
    qreal m_dpi;
    std::vector<QTextCharFormat> m_charFormats;
    std::size_t m_next = 0;
};

void FillTextDocument(QTextDocument& document, const RtfDocument& rtf) {
    DocumentWriter(document, rtf).Write(SIZE_MAX, SIZE_MAX);
}

namespace {

// A batch a step: laid out in a few milliseconds, far below what a user notices.
constexpr std::size_t kStepCharacters = 5000;
constexpr std::size_t kStepRuns = 500;

} // namespace

SteppedDocumentFill::SteppedDocumentFill(QTextDocument& document, QObject* parent)
    : QObject(parent), m_document(document) {}

SteppedDocumentFill::~SteppedDocumentFill() = default;

void SteppedDocumentFill::Start(std::shared_ptr<const RtfDocument> rtf) {
    m_writer.reset();
    m_rtf = std::move(rtf);
    m_writer = std::make_unique<DocumentWriter>(m_document, *m_rtf);
    Step();
}

void SteppedDocumentFill::Step() {
    if (!m_writer)
        return;
    if (!m_writer->Write(kStepCharacters, kStepRuns)) {
        // Queued behind whatever input arrived meanwhile.
        QMetaObject::invokeMethod(this, &SteppedDocumentFill::Step, Qt::QueuedConnection);
        return;
    }
    m_writer.reset();
    m_rtf.reset();
    emit finished();
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
