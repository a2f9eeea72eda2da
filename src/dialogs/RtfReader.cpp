#include "dialogs/RtfReader.h"

#include "platform/SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <map>
#include <system_error>

namespace {

constexpr std::string_view kRtfStart = "{\\rtf";
// Deeper groups are read as holding no text, so hostile nesting costs neither stack nor memory.
constexpr std::size_t kMaxGroupDepth = 1000;
// Word processors allow 64 tab stops a paragraph; the cap bounds the state copied per group.
constexpr std::size_t kMaxTabStops = 64;
constexpr int kDefaultHalfPoints = 24;
constexpr int kMaxHalfPoints = 3276;
constexpr int kMaxUnicodeSkip = 255;
// 22 inches, the widest page word processors offer.
constexpr int kMaxIndentTwips = 31680;
constexpr std::size_t kMaxFileSize = std::size_t{1} << 30;

// Destinations whose text is not part of the document shown, each followed by a blank.
constexpr std::string_view kSkippedDestinations =
    "colortbl stylesheet info pict header headerl headerr headerf footer footerl footerr footerf footnote "
    "object fldinst nonshppict listtable listoverridetable revtbl rsidtbl filetbl xmlnstbl themedata "
    "datastore colorschememapping latentstyles generator xe tc txe template pn ";

enum class Destination { Text, FontTable, Skip };

// Character and paragraph properties; a group restores them when it ends.
struct State {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int font = -1; // the default font (\deff)
    int halfPoints = kDefaultHalfPoints;
    int unicodeSkip = 1;
    std::vector<int> tabStops;
    int leftIndent = 0;
    int firstLineIndent = 0;
    Destination destination = Destination::Text;
};

// How much text one font and size carry; the document's font is the one carrying most.
struct StyleUse {
    int font = -1;
    int halfPoints = kDefaultHalfPoints;
    std::size_t characters = 0;
};

bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexValue(char c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsSkippedDestination(std::string_view word) {
    for (std::size_t start = 0, end; (end = kSkippedDestinations.find(' ', start)) != std::string_view::npos;
         start = end + 1) {
        if (kSkippedDestinations.substr(start, end - start) == word)
            return true;
    }
    return false;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

class Reader {
  public:
    explicit Reader(std::string_view rtf) : m_in(rtf) {}

    RtfDocument Read();

  private:
    void OpenGroup();
    void CloseGroup();
    void ControlSequence();
    void ControlSymbol(char symbol);
    void ControlWord(std::string_view word, bool hasParameter, int parameter);
    // A character of the document, whether typed as is or escaped.
    void Character(unsigned char byte);
    void AddText(unsigned char byte);
    // \par and its kin, which end a paragraph only in the document's text.
    void EndParagraph();
    void PushParagraph();
    void CommitFont();
    void CountStyle();
    std::string FontName(int font) const;

    std::string_view m_in;
    std::size_t m_pos = 0;
    bool m_finished = false;

    State m_state;
    std::vector<State> m_saved;
    std::size_t m_excessDepth = 0;
    int m_pendingSkip = 0;

    int m_defaultFont = 0;
    std::map<int, std::string> m_fonts;
    int m_fontEntry = -1;
    std::string m_fontEntryName;

    RtfDocument m_document;
    RtfParagraph m_paragraph;
    std::vector<StyleUse> m_styles;
    std::size_t m_currentStyle = 0;
};

RtfDocument Reader::Read() {
    while (m_pos < m_in.size() && !m_finished) {
        const char c = m_in[m_pos++];
        switch (c) {
        case '{':
            OpenGroup();
            break;
        case '}':
            CloseGroup();
            break;
        case '\\':
            ControlSequence();
            break;
        case '\r':
        case '\n':
            break;
        default:
            Character(static_cast<unsigned char>(c));
        }
    }
    if (!m_paragraph.runs.empty())
        PushParagraph();

    const auto most =
        std::max_element(m_styles.begin(), m_styles.end(),
                         [](const StyleUse& a, const StyleUse& b) { return a.characters < b.characters; });
    if (most != m_styles.end()) {
        m_document.fontName = FontName(most->font);
        m_document.fontHalfPoints = most->halfPoints;
    } else {
        m_document.fontName = FontName(-1);
    }
    return std::move(m_document);
}

void Reader::OpenGroup() {
    m_pendingSkip = 0;
    if (m_excessDepth > 0 || m_saved.size() >= kMaxGroupDepth) {
        ++m_excessDepth;
        return;
    }
    m_saved.push_back(m_state);
}

void Reader::CloseGroup() {
    m_pendingSkip = 0;
    if (m_excessDepth > 0) {
        --m_excessDepth;
        return;
    }
    if (m_saved.empty()) {
        m_finished = true;
        return;
    }
    if (m_state.destination == Destination::FontTable)
        CommitFont();
    // The last paragraph may lack its \par; it keeps the properties it had inside the document.
    if (m_saved.size() == 1) {
        if (!m_paragraph.runs.empty())
            PushParagraph();
        m_finished = true;
    }
    m_state = std::move(m_saved.back());
    m_saved.pop_back();
}

void Reader::ControlSequence() {
    if (m_pos >= m_in.size())
        return;
    if (!IsLetter(m_in[m_pos])) {
        ControlSymbol(m_in[m_pos++]);
        return;
    }
    const std::size_t start = m_pos;
    while (m_pos < m_in.size() && IsLetter(m_in[m_pos]))
        ++m_pos;
    const std::string_view word = m_in.substr(start, m_pos - start);

    bool negative = false;
    if (m_pos + 1 < m_in.size() && m_in[m_pos] == '-' && IsDigit(m_in[m_pos + 1])) {
        negative = true;
        ++m_pos;
    }
    bool hasParameter = false;
    std::int64_t value = 0;
    while (m_pos < m_in.size() && IsDigit(m_in[m_pos])) {
        hasParameter = true;
        // Saturates: a parameter out of range must not overflow.
        value = std::min<std::int64_t>(value * 10 + (m_in[m_pos] - '0'), INT32_MAX);
        ++m_pos;
    }
    if (m_pos < m_in.size() && m_in[m_pos] == ' ')
        ++m_pos;
    const int parameter = static_cast<int>(negative ? -value : value);

    // Binary data must be passed over even where nothing is read, or its bytes would be taken as RTF.
    if (word == "bin") {
        if (hasParameter && parameter > 0)
            m_pos += std::min<std::size_t>(static_cast<std::size_t>(parameter), m_in.size() - m_pos);
        return;
    }
    if (m_excessDepth > 0)
        return;
    // Control words count as one character among those that stand in for a \u character.
    if (m_pendingSkip > 0) {
        --m_pendingSkip;
        return;
    }
    ControlWord(word, hasParameter, parameter);
}

void Reader::ControlSymbol(char symbol) {
    if (m_excessDepth > 0)
        return;
    if (symbol == '\'') {
        // A broken escape shows nothing; its one hex digit goes with it.
        const int high = m_pos < m_in.size() ? HexValue(m_in[m_pos]) : -1;
        if (high < 0)
            return;
        ++m_pos;
        const int low = m_pos < m_in.size() ? HexValue(m_in[m_pos]) : -1;
        if (low < 0)
            return;
        ++m_pos;
        Character(static_cast<unsigned char>(high * 16 + low));
        return;
    }
    if (m_pendingSkip > 0) {
        --m_pendingSkip;
        return;
    }
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        Character(static_cast<unsigned char>(symbol));
        break;
    case '~':
        Character(0xA0);
        break;
    case '_':
        Character('-');
        break;
    case '\t':
        Character('\t');
        break;
    case '*':
        m_state.destination = Destination::Skip;
        break;
    case '\r':
    case '\n':
        EndParagraph();
        break;
    default:
        // \- (optional hyphen) and the rest show nothing.
        break;
    }
}

void Reader::ControlWord(std::string_view word, bool hasParameter, int parameter) {
    const bool on = !hasParameter || parameter != 0;

    if (word == "fonttbl") {
        if (m_state.destination == Destination::Text)
            m_state.destination = Destination::FontTable;
        return;
    }
    if (IsSkippedDestination(word)) {
        m_state.destination = Destination::Skip;
        return;
    }
    if (m_state.destination == Destination::Skip)
        return;
    if (m_state.destination == Destination::FontTable) {
        if (word == "f" && hasParameter) {
            CommitFont();
            m_fontEntry = parameter;
        }
        return;
    }

    if (word == "par" || word == "line" || word == "row" || word == "sect" || word == "page") {
        EndParagraph();
    } else if (word == "tab" || word == "cell") {
        Character('\t');
    } else if (word == "pard") {
        m_state.tabStops.clear();
        m_state.leftIndent = m_state.firstLineIndent = 0;
    } else if (word == "li") {
        m_state.leftIndent = std::clamp(parameter, 0, kMaxIndentTwips);
    } else if (word == "fi") {
        m_state.firstLineIndent = std::clamp(parameter, -kMaxIndentTwips, kMaxIndentTwips);
    } else if (word == "tx") {
        auto& stops = m_state.tabStops;
        const auto at = std::lower_bound(stops.begin(), stops.end(), parameter);
        if (hasParameter && parameter > 0 && stops.size() < kMaxTabStops &&
            (at == stops.end() || *at != parameter))
            stops.insert(at, parameter);
    } else if (word == "b") {
        m_state.bold = on;
    } else if (word == "i") {
        m_state.italic = on;
    } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash" ||
               word == "ulth" || word == "ulwave") {
        m_state.underline = on;
    } else if (word == "ulnone") {
        m_state.underline = false;
    } else if (word == "plain") {
        m_state.bold = m_state.italic = m_state.underline = false;
        m_state.font = -1;
        m_state.halfPoints = kDefaultHalfPoints;
    } else if (word == "f") {
        if (hasParameter && parameter >= 0)
            m_state.font = parameter;
    } else if (word == "deff") {
        if (hasParameter && parameter >= 0)
            m_defaultFont = parameter;
    } else if (word == "fs") {
        m_state.halfPoints =
            hasParameter && parameter > 0 ? std::min(parameter, kMaxHalfPoints) : kDefaultHalfPoints;
    } else if (word == "uc") {
        if (hasParameter)
            m_state.unicodeSkip = std::clamp(parameter, 0, kMaxUnicodeSkip);
    } else if (word == "u") {
        if (!hasParameter)
            return;
        const int code = parameter < 0 ? parameter + 65536 : parameter;
        Character(code >= 0 && code <= 255 ? static_cast<unsigned char>(code) : '?');
        m_pendingSkip = m_state.unicodeSkip;
    } else if (word == "emdash" || word == "endash") {
        Character('-');
    } else if (word == "bullet") {
        Character(0xB7);
    } else if (word == "lquote" || word == "rquote") {
        Character('\'');
    } else if (word == "ldblquote" || word == "rdblquote") {
        Character('"');
    } else if (word == "emspace" || word == "enspace" || word == "qmspace") {
        Character(' ');
    }
}

void Reader::Character(unsigned char byte) {
    if (m_excessDepth > 0)
        return;
    if (m_pendingSkip > 0) {
        --m_pendingSkip;
        return;
    }
    switch (m_state.destination) {
    case Destination::Text:
        AddText(byte);
        break;
    case Destination::FontTable:
        if (byte == ';')
            CommitFont();
        else if (byte >= 32)
            m_fontEntryName += static_cast<char>(byte);
        break;
    case Destination::Skip:
        break;
    }
}

void Reader::AddText(unsigned char byte) {
    if (byte < 32 && byte != '\t')
        return;
    CountStyle();
    auto& runs = m_paragraph.runs;
    const State& s = m_state;
    if (runs.empty() || runs.back().bold != s.bold || runs.back().underline != s.underline ||
        runs.back().italic != s.italic)
        runs.push_back(RtfRun{{}, s.bold, s.underline, s.italic});
    runs.back().text += static_cast<char>(byte);
}

void Reader::CountStyle() {
    const int font = m_state.font < 0 ? m_defaultFont : m_state.font;
    if (m_currentStyle < m_styles.size() && m_styles[m_currentStyle].font == font &&
        m_styles[m_currentStyle].halfPoints == m_state.halfPoints) {
        ++m_styles[m_currentStyle].characters;
        return;
    }
    const auto found = std::find_if(m_styles.begin(), m_styles.end(), [&](const StyleUse& use) {
        return use.font == font && use.halfPoints == m_state.halfPoints;
    });
    m_currentStyle = static_cast<std::size_t>(found - m_styles.begin());
    if (found == m_styles.end())
        m_styles.push_back(StyleUse{font, m_state.halfPoints, 0});
    ++m_styles[m_currentStyle].characters;
}

void Reader::EndParagraph() {
    if (m_state.destination == Destination::Text)
        PushParagraph();
}

void Reader::PushParagraph() {
    m_paragraph.tabStopsTwips = m_state.tabStops;
    m_paragraph.leftIndentTwips = m_state.leftIndent;
    m_paragraph.firstLineIndentTwips = m_state.firstLineIndent;
    m_document.paragraphs.push_back(std::move(m_paragraph));
    m_paragraph = RtfParagraph{};
}

void Reader::CommitFont() {
    if (m_fontEntry >= 0)
        m_fonts.emplace(m_fontEntry, Trimmed(m_fontEntryName));
    m_fontEntry = -1;
    m_fontEntryName.clear();
}

std::string Reader::FontName(int font) const {
    auto found = m_fonts.find(font < 0 ? m_defaultFont : font);
    if (found == m_fonts.end())
        found = m_fonts.find(m_defaultFont);
    return found == m_fonts.end() ? std::string() : found->second;
}

} // namespace

RtfReadResult ReadRtf(std::string_view rtf) {
    RtfReadResult result;
    if (!rtf.starts_with(kRtfStart)) {
        result.error = kNotRtfText;
        return result;
    }
    result.document = Reader(rtf).Read();
    result.ok = true;
    return result;
}

RtfReadResult ReadRtfFile(const std::string& path) {
    std::string data;
    std::string reason;
    if (ReadWholeFile(path, kMaxFileSize, data, reason) != ReadStatus::Ok) {
        RtfReadResult result;
        result.error = "Cannot read \"" + path + "\": " + reason;
        return result;
    }
    RtfReadResult result = ReadRtf(data);
    if (!result.ok)
        result.error = "Cannot read \"" + path + "\": " + result.error;
    return result;
}
