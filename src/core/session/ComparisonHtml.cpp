#include "core/session/ComparisonHtml.h"

#include <array>

#include "core/platform/Paths.h"
#include "core/platform/TextCodec.h"

namespace kb {

namespace {

// Marked rows keep a word as well as a colour, so the mark survives a grey printout.
constexpr const char* kStyle = R"(
body{font-family:"Liberation Sans",Arial,Helvetica,sans-serif;color:#1b1b1b;line-height:1.4;max-width:64em;margin:1.5em auto;padding:0 1em}
h1{font-size:1.5em;margin:0 0 .4em}
h2{font-size:1.15em;margin:1.6em 0 .4em;padding-bottom:.15em;border-bottom:2px solid #2f5d8a}
p{margin:.4em 0}
.scroll{overflow-x:auto}
table{border-collapse:collapse;width:100%;font-size:.95em}
th,td{border:1px solid #c5ccd6;padding:.3em .5em;text-align:left;vertical-align:top;overflow-wrap:break-word}
th{background:#e7edf4}
table.files th{width:9em}
table.files code{word-break:break-all}
table.summary{width:auto;min-width:50%}
.key{white-space:nowrap}
.num{text-align:right;font-variant-numeric:tabular-nums}
td.num{white-space:nowrap}
tr.removed td{background:#fde7e7}
tr.tightened td{background:#fff2d3}
tr.codes td{background:#ecefff}
.mark{display:inline-block;margin-left:.2em;padding:0 .3em;border:1px solid;border-radius:.25em;font-size:.78em;font-weight:bold;white-space:nowrap}
.removed .mark{color:#a00000}
.tightened .mark{color:#7a4a00}
.codes .mark{color:#2a2a9a}
.up{color:#a00000}
.down{color:#0b6b21}
.total{font-size:1.1em;font-weight:bold}
.note{color:#444}
.problem{color:#a00000;font-weight:bold}
code{font-family:"Liberation Mono",monospace;font-size:.95em}
@media (max-width:40em){body{margin:.5em auto;padding:0 .4em}table{font-size:.85em}th,td{padding:.25em .3em}table.files th{width:auto}}
@media print{body{max-width:none;margin:0;padding:0}.scroll{overflow:visible}h2{break-after:avoid}tr{break-inside:avoid}thead{display:table-header-group}tr.removed td,tr.tightened td,tr.codes td{background:none}}
)";

// How one kind of change is laid out: which of the change's texts get a column, and names.
struct KindLayout {
    const char* title;
    const char* subject;
    bool part;       // a column with the part's description
    const char* old; // heading of the old value's column; nullptr: none
    const char* now; // heading of the new value's column; nullptr: none
    bool numeric;    // old and new are numbers: right-aligned
};

constexpr std::array<KindLayout, kChangeKindCount> kLayouts{{
    {"Parts added", "Order number", true, nullptr, nullptr, false},
    {"Parts removed", "Order number", true, nullptr, nullptr, false},
    {"Descriptions changed", "Order number", false, "Old description", "New description", false},
    {"Types changed", "Order number", true, "Old type", "New type", false},
    {"Index characters changed", "Order number", true, "Old", "New", false},
    {"Prices changed", "Order number", true, "Old price", "New price", true},
    {"List entries added", "List:order number", true, nullptr, "Position", true},
    {"List entries removed", "List:order number", true, "Position", nullptr, true},
    {"List entries moved", "List:order number", true, "Old position", "New position", true},
    {"Slot limits changed", "Rule:order number", true, "Old limit", "New limit", true},
    {"Exclusions added", "Pair", false, nullptr, "Parts", false},
    {"Exclusions removed", "Pair", false, "Parts", nullptr, false},
    {"Languages changed", "Position", false, "Old name", "New name", false},
    {"Settings changed", "Setting", false, "Old value", "New value", false},
}};

const char* MarkClass(ChangeMark mark) {
    switch (mark) {
    case ChangeMark::Removed:
        return "removed";
    case ChangeMark::Tightened:
        return "tightened";
    case ChangeMark::CodesChange:
        return "codes";
    case ChangeMark::None:
        break;
    }
    return "";
}

const char* MarkWord(ChangeMark mark) {
    switch (mark) {
    case ChangeMark::Removed:
        return "removed";
    case ChangeMark::Tightened:
        return "tightened";
    case ChangeMark::CodesChange:
        return "changes stored codes";
    case ChangeMark::None:
        break;
    }
    return "";
}

class Page {
  public:
    explicit Page(const CatalogueComparison& comparison) : m_c(comparison) {}

    std::string Write() {
        m_out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
        m_out += "Catalogue comparison: " + HtmlEscape(paths::FileName(m_c.files.oldCatalogue)) + " to " +
                 HtmlEscape(paths::FileName(m_c.files.newCatalogue));
        m_out += "</title>\n<style>";
        m_out += kStyle;
        m_out += "</style>\n</head>\n<body>\n<h1>Catalogue comparison</h1>\n";
        Files();
        m_out += "<p class=\"total\">" + HtmlEscape(m_c.Summary()) + "</p>\n";
        Problems();
        Summary();
        for (int k = 0; k < kChangeKindCount; ++k)
            Kind(static_cast<ChangeKind>(k));
        Orders();
        Notes();
        m_out += "</body>\n</html>\n";
        return std::move(m_out);
    }

  private:
    void Row(const char* heading, const std::string& value) {
        m_out += "<tr><th scope=\"row\">";
        m_out += heading;
        m_out += "</th><td>" + value + "</td></tr>\n";
    }

    static std::string Code(const std::string& path) { return "<code>" + HtmlEscape(path) + "</code>"; }

    void Files() {
        const ComparisonFiles& f = m_c.files;
        const bool priced = !f.oldPrices.empty();
        m_out += "<div class=\"scroll\"><table class=\"files\">\n";
        Row("Old catalogue", Code(f.oldCatalogue) + (priced ? "<br>" + Code(f.oldPrices) : std::string()));
        Row("New catalogue", Code(f.newCatalogue) + (priced ? "<br>" + Code(f.newPrices) : std::string()));
        if (!priced)
            Row("Prices", "not compared");
        if (!f.ordersFolder.empty())
            Row("Saved orders", Code(f.ordersFolder));
        m_out += "</table></div>\n";
    }

    void Problems() {
        for (const std::string& bad : m_c.badPrices)
            m_out += "<p class=\"problem\">" + HtmlEscape(bad) + "</p>\n";
        if (m_c.cancelled)
            m_out += "<p class=\"problem\">Cancelled: only the orders checked so far are counted.</p>\n";
    }

    void Summary() {
        std::array<std::size_t, kChangeKindCount> counts{};
        for (const Change& change : m_c.changes)
            ++counts[static_cast<std::size_t>(change.kind)];
        m_out +=
            "<h2>Summary</h2>\n<div class=\"scroll\"><table class=\"summary\">\n"
            "<thead><tr><th scope=\"col\">What</th><th scope=\"col\" class=\"num\">Count</th></tr></thead>\n"
            "<tbody>\n";
        bool any = false;
        for (std::size_t k = 0; k < counts.size(); ++k) {
            if (counts[k] == 0)
                continue;
            any = true;
            m_out += "<tr><td><a href=\"#" + std::string(ChangeKindName(static_cast<ChangeKind>(k))) + "\">" +
                     kLayouts[k].title + "</a></td><td class=\"num\">" + std::to_string(counts[k]) +
                     "</td></tr>\n";
        }
        if (!any)
            m_out += "<tr><td>Changes</td><td class=\"num\">0</td></tr>\n";
        if (m_c.ordersChecked)
            m_out += "<tr><td><a href=\"#orders\">Saved orders affected</a></td><td class=\"num\">" +
                     std::to_string(m_c.touched.size()) + " of " + std::to_string(m_c.orderCount) +
                     "</td></tr>\n";
        m_out += "</tbody>\n</table></div>\n";
    }

    void Heading(const std::string& text, bool numeric) {
        m_out += std::string("<th scope=\"col\"") + (numeric ? " class=\"num\"" : "") + ">" + text + "</th>";
    }

    void Kind(ChangeKind kind) {
        const KindLayout& layout = kLayouts[static_cast<std::size_t>(kind)];
        std::vector<const Change*> changes;
        for (const Change& change : m_c.changes)
            if (change.kind == kind)
                changes.push_back(&change);
        if (changes.empty())
            return;
        const bool price = kind == ChangeKind::Price;
        m_out += "<h2 id=\"" + std::string(ChangeKindName(kind)) + "\">" + layout.title + " (" +
                 std::to_string(changes.size()) + ")</h2>\n<div class=\"scroll\"><table>\n<thead><tr>";
        Heading(layout.subject, false);
        if (layout.part)
            Heading("Part", false);
        const std::string unit = price && !m_c.currency.empty() ? " (" + HtmlEscape(m_c.currency) + ")" : "";
        if (layout.old)
            Heading(layout.old + unit, layout.numeric);
        if (layout.now)
            Heading(layout.now + unit, layout.numeric);
        if (price)
            Heading("Change", true);
        m_out += "</tr></thead>\n<tbody>\n";
        const std::string cell = layout.numeric ? "<td class=\"num\">" : "<td>";
        for (const Change* change : changes) {
            const ChangeMark mark = MarkOf(*change);
            m_out +=
                mark == ChangeMark::None ? "<tr>" : "<tr class=\"" + std::string(MarkClass(mark)) + "\">";
            m_out += "<td><span class=\"key\">" + HtmlEscape(change->subject) + "</span>";
            if (mark != ChangeMark::None)
                m_out += " <span class=\"mark\">" + std::string(MarkWord(mark)) + "</span>";
            m_out += "</td>";
            if (layout.part)
                m_out += "<td>" + HtmlEscape(change->part) + "</td>";
            if (layout.old)
                m_out += cell + HtmlEscape(change->oldValue) + "</td>";
            if (layout.now)
                m_out += cell + HtmlEscape(change->newValue) + "</td>";
            if (price) {
                const char* direction = change->percent.starts_with('+') ? "up" : "down";
                m_out += change->percent.empty() ? std::string("<td class=\"num\"></td>")
                                                 : "<td class=\"num " + std::string(direction) + "\">" +
                                                       HtmlEscape(change->percent) + "</td>";
            }
            m_out += "</tr>\n";
        }
        m_out += "</tbody>\n</table></div>\n";
    }

    void Orders() {
        if (!m_c.ordersChecked)
            return;
        m_out += "<h2 id=\"orders\">Saved orders affected (" + std::to_string(m_c.touched.size()) + " of " +
                 std::to_string(m_c.orderCount) + ")</h2>\n";
        if (m_c.touched.empty()) {
            m_out += "<p>Every saved order stands as it did: same verdict, same code, same price.</p>\n";
            return;
        }
        const std::string currency =
            m_c.currency.empty() ? std::string() : " (" + HtmlEscape(m_c.currency) + ")";
        m_out += "<div class=\"scroll\"><table>\n<thead><tr>";
        Heading("File", false);
        Heading("Customer", false);
        Heading("Verdict", false);
        Heading("Price" + currency, true);
        Heading("Stored code", false);
        Heading("Code now", false);
        Heading("Status now", false);
        m_out += "</tr></thead>\n<tbody>\n";
        for (const TouchedOrder& order : m_c.touched) {
            const RecheckedOrder& before = order.before;
            const RecheckedOrder& after = order.after;
            // An order that passed before and does not now is what a release must not do unnoticed.
            const bool worse =
                after.verdict != RecheckVerdict::Valid && before.verdict == RecheckVerdict::Valid;
            m_out += worse ? "<tr class=\"removed\">" : "<tr>";
            m_out += "<td><span class=\"key\">" + HtmlEscape(paths::FileName(after.file)) + "</span></td>";
            std::string customer = after.company1;
            if (!after.name1.empty())
                customer += (customer.empty() ? "" : ", ") + after.name1;
            m_out += "<td>" + HtmlEscape(customer) + "</td>";
            m_out +=
                "<td>" + std::string(VerdictName(before.verdict)) + " &rarr; " + VerdictName(after.verdict);
            if (worse)
                m_out += std::string(" <span class=\"mark\">") +
                         (after.verdict == RecheckVerdict::Changed ? "code changes" : "no longer valid") +
                         "</span>";
            m_out += "</td>";
            m_out += "<td class=\"num\">" + HtmlEscape(before.price) + " &rarr; " + HtmlEscape(after.price) +
                     "</td>";
            m_out += "<td><code>" + HtmlEscape(after.storedCode) + "</code></td>";
            m_out += "<td><code>" + HtmlEscape(after.codeNow) + "</code></td>";
            m_out +=
                "<td>" +
                HtmlEscape(after.verdict == RecheckVerdict::Unreadable ? after.reason : after.statusText) +
                "</td></tr>\n";
        }
        m_out += "</tbody>\n</table></div>\n";
    }

    void Notes() {
        if (m_c.notes.empty())
            return;
        m_out += "<h2>Notes</h2>\n<ul>\n";
        for (const std::string& note : m_c.notes)
            m_out += "<li class=\"note\">" + HtmlEscape(note) + "</li>\n";
        m_out += "</ul>\n";
    }

    const CatalogueComparison& m_c;
    std::string m_out;
};

// Characters a page may not hold as text: controls other than white space, and
// noncharacters.
bool Forbidden(char32_t c) {
    if (c < 0x20)
        return c != '\t' && c != '\n' && c != '\r' && c != '\f';
    return (c >= 0x7F && c <= 0x9F) || (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xFDD0 && c <= 0xFDEF) ||
           (c & 0xFFFE) == 0xFFFE || c > 0x10FFFF;
}

} // namespace

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t c : ToCodePoints(text)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            AppendUtf8(out, Forbidden(c) ? char32_t{0xFFFD} : c);
        }
    }
    return out;
}

std::string ComparisonHtml(const CatalogueComparison& comparison) {
    return Page(comparison).Write();
}

} // namespace kb
