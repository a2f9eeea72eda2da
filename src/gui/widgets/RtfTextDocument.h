#pragma once

#include <QObject>
#include <memory>

namespace kb {
struct RtfDocument;
}
class QPrinter;
class QTextDocument;
class DocumentWriter;

// Replaces the document's content with the RTF document: one block per paragraph with its
// tab stops and indents, runs with their bold, italic and underline, the RTF's font and size as the
// document's default font.
void FillTextDocument(QTextDocument& document, const kb::RtfDocument& rtf);

// Prints the whole document as one job on the printer, filling the printable area of each
// page, with no margins, headers or page numbers of its own. False when the printer cannot
// be started or a page cannot be begun.
bool PrintTextDocument(const QTextDocument& document, QPrinter& printer);

// Fills a document from an RTF document in steps of bounded work, one event each, so that a
// window showing the document lays out and answers input between them. The first step runs at
// once, so a short document is whole when Start returns. A new Start replaces a fill under way.
class SteppedDocumentFill : public QObject {
    Q_OBJECT
  public:
    SteppedDocumentFill(QTextDocument& document, QObject* parent = nullptr);
    ~SteppedDocumentFill() override;

    void Start(std::shared_ptr<const kb::RtfDocument> rtf);
    bool busy() const { return m_writer != nullptr; }

  signals:
    void finished();

  private:
    void Step();

    QTextDocument& m_document;
    std::shared_ptr<const kb::RtfDocument> m_rtf;
    std::unique_ptr<DocumentWriter> m_writer;
};
