#pragma once

namespace kb {
struct RtfDocument;
}
class QPrinter;
class QTextDocument;

// Replaces the document's content with the RTF document: one block per paragraph with its
// tab stops and indents, runs with their bold, italic and underline, the RTF's font and size as the
// document's default font.
void FillTextDocument(QTextDocument& document, const kb::RtfDocument& rtf);

// Prints the whole document as one job on the printer, filling the printable area of each
// page, with no margins, headers or page numbers of its own. False when the printer cannot
// be started or a page cannot be begun.
bool PrintTextDocument(const QTextDocument& document, QPrinter& printer);
