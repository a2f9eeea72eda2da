#include "core/richtext/RtfReader.h"

#include "core/platform/SafeFile.h"
#include "core/platform/Text.h"
#include "core/platform/TextCodec.h"
#include "core/richtext/RtfWriter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace kb {

namespace {

constexpr std::string_view kRtfStart = "{\\rtf";
// Deeper groups are read as holding no text, so hostile nesting costs neither stack nor memory.
constexpr std::size_t kMaxGroupDepth = 1000;
// Word processors allow 64 tab stops a paragraph.
constexpr std::size_t kMaxTabStops = 64;
constexpr int kDefaultHalfPoints = 24;
constexpr int kMaxHalfPoints = 3276;
constexpr int kMaxUnicodeSkip = 255;
// 22 inches, the widest page word processors offer.
constexpr int kMaxIndentTwips = 31680;
// Offsets into the text are 32-bit; text past this is left out.
constexpr std::size_t kMaxTextSize = UINT32_MAX - 8;
constexpr std::uint32_t kNone = UINT32_MAX;
// Far more than real documents use. Past them a hostile file gets no more: a new character
// format takes the one before it, fonts, colours and tab stops past them are not read, so
// what the reader holds stays small and in cache whatever the input.
constexpr std::size_t kMaxCharFormats = 10000;
constexpr std::size_t kMaxFonts = 10000;
constexpr std::size_t kMaxColors = 10000;
constexpr std::size_t kMaxTabNodes = std::size_t{1} << 20;

// Destinations whose text is not part of the document shown.
constexpr std::array<std::string_view, 38> kSkippedDestinations{"stylesheet",
                                                                "info",
                                                                "pict",
                                                                "header",
                                                                "headerl",
                                                                "headerr",
                                                                "headerf",
                                                                "footer",
                                                                "footerl",
                                                                "footerr",
                                                                "footerf",
                                                                "footnote",
                                                                "object",
                                                                "fldinst",
                                                                "nonshppict",
                                                                "listtable",
                                                                "listoverridetable",
                                                                "revtbl",
                                                                "rsidtbl",
                                                                "filetbl",
                                                                "xmlnstbl",
                                                                "themedata",
                                                                "datastore",
                                                                "colorschememapping",
                                                                "latentstyles",
                                                                "generator",
                                                                "xe",
                                                                "tc",
                                                                "txe",
                                                                "template",
                                                                "pn",
                                                                "bkmkstart",
                                                                "bkmkend",
                                                                "shpinst",
                                                                "atnid",
                                                                "annotation",
                                                                "userprops",
                                                                "docvar"};

enum class Destination : std::uint8_t { Text, FontTable, ColorTable, Skip };

// Character and paragraph properties; a group restores them when it ends. Tab stops are
// a node of a shared list, so saving the state for a group copies no tab stops.
struct State {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int font = -1; // the default font (\deff)
    int halfPoints = kDefaultHalfPoints;
    int color = 0; // index into the colour table; 0 is the automatic colour
    int unicodeSkip = 1;
    RtfAlignment alignment = RtfAlignment::Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstLineIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    std::uint32_t tabNode = kNone;
    Destination destination = Destination::Text;
};

// One tab stop added to the set its parent node stands for.
struct TabNode {
    int stop;
    std::uint32_t parent;
    std::uint32_t count; // stops in the chain up to this node
    std::uint32_t set;   // interned set of the chain, once a paragraph used it
};

template <class T> std::size_t Mix(std::size_t seed, T value) {
    return seed ^ (std::hash<T>{}(value) + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2));
}

struct CharFormatHash {
    std::size_t operator()(const RtfCharFormat& f) const {
        std::size_t h = Mix(0, f.font);
        h = Mix(h, f.halfPoints);
        h = Mix(h, f.color);
        return Mix(h, (f.bold ? 1 : 0) | (f.italic ? 2 : 0) | (f.underline ? 4 : 0) | (f.strike ? 8 : 0));
    }
};

struct ParagraphFormatHash {
    std::size_t operator()(const RtfParagraphFormat& f) const {
        std::size_t h = Mix(0, static_cast<int>(f.alignment));
        for (const int v : {f.leftIndentTwips, f.rightIndentTwips, f.firstLineIndentTwips, f.spaceBeforeTwips,
                            f.spaceAfterTwips})
            h = Mix(h, v);
        return Mix(h, f.tabStops);
    }
};

struct TabSetHash {
    std::size_t operator()(const std::vector<int>& stops) const {
        std::size_t h = stops.size();
        for (const int stop : stops)
            h = Mix(h, stop);
        return h;
    }
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
    return std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) !=
           kSkippedDestinations.end();
}

// The Windows code page of a font's \fcharset; 0 for "the document's".
int CodePageOfCharset(int charset) {
    switch (charset) {
    case 77:
        return 10000;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 0;
    }
}

using HighTable = std::array<char32_t, 128>;

// Bytes 0x80-0xFF of a single-byte code page, built once through iconv. Code pages iconv
// does not know, and bytes a code page leaves free, read as Windows-1252.
const HighTable& CodePageTable(int codePage) {
    // Only the single-byte code pages RTF names: the cache is the process's, so a document
    // must not grow it with numbers of its own choosing.
    constexpr int kKnown[] = {437, 850, 852, 866, 874, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258, 10000};
    if (std::find(std::begin(kKnown), std::end(kKnown), codePage) == std::end(kKnown))
        codePage = 1252;
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<HighTable>> tables;
    const std::lock_guard lock(mutex);
    auto& table = tables[codePage];
    if (table)
        return *table;
    table = std::make_unique<HighTable>();
    for (int b = 0; b < 128; ++b)
        (*table)[b] = Cp1252CodePoint(static_cast<unsigned char>(0x80 + b));
    if (codePage == 1252)
        return *table;
    const std::string name = codePage == 10000 ? "MACINTOSH" : "CP" + std::to_string(codePage);
    const iconv_t converter = iconv_open("UTF-32LE", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1))
        return *table;
    for (int b = 0; b < 128; ++b) {
        char in = static_cast<char>(0x80 + b);
        unsigned char out[8] = {};
        char* inPtr = &in;
        char* outPtr = reinterpret_cast<char*>(out);
        std::size_t inLeft = 1;
        std::size_t outLeft = sizeof out;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
        if (iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
            outLeft == sizeof out - 4)
            (*table)[b] = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
    }
    iconv_close(converter);
    return *table;
}

class Reader {
  public:
    explicit Reader(std::string_view rtf) : m_in(rtf) {
        m_document.fonts.push_back({});
        m_document.tabStopSets.push_back({});
        m_tabSets.emplace(std::vector<int>{}, 0);
    }

    RtfDocument Read();

  private:
    void OpenGroup();
    void CloseGroup();
    void ControlSequence();
    void ControlSymbol(char symbol);
    void ControlWord(std::string_view word, bool hasParameter, int parameter);
    void FontTableWord(std::string_view word, bool hasParameter, int parameter);
    void ColorTableWord(std::string_view word, int parameter);
    // A byte of the document in its code page, whether typed as is or escaped.
    void Byte(unsigned char byte);
    // A character of the document, whether typed, escaped or given as \u.
    void Character(char32_t c);
    void Unicode(int parameter);
    void AddText(char32_t c);
    // Most of a document is printable ASCII in the text: taken a stretch at a time.
    bool TakesPlainText() const;
    void PlainText();
    // \par and its kin, which end a paragraph only in the document's text.
    void EndParagraph();
    void PushParagraph();
    void AddTabStop(int stop);
    std::uint32_t CharFormat();
    std::uint32_t ParagraphFormat();
    std::uint32_t TabSet();
    void CommitFont();
    void CommitColor();
    std::uint32_t FontIndex(int font) const;

    std::string_view m_in;
    std::size_t m_pos = 0;
    bool m_finished = false;

    State m_state;
    std::vector<State> m_saved;
    std::size_t m_excessDepth = 0;
    int m_pendingSkip = 0;
    char32_t m_highSurrogate = 0;

    int m_codePage = 1252;
    int m_defaultFont = 0;
    std::unordered_map<int, std::uint32_t> m_fontIndex; // \fN to RtfDocument::fonts
    int m_fontEntry = -1;
    RtfFont m_fontEntryFont;
    std::vector<std::uint32_t> m_colors;
    int m_red = -1, m_green = 0, m_blue = 0;

    std::vector<TabNode> m_tabNodes;
    std::unordered_map<std::vector<int>, std::uint32_t, TabSetHash> m_tabSets;
    std::unordered_map<RtfCharFormat, std::uint32_t, CharFormatHash> m_charFormats;
    std::unordered_map<RtfParagraphFormat, std::uint32_t, ParagraphFormatHash> m_paragraphFormats;
    std::vector<std::size_t> m_charactersOfFormat;
    // The last format interned and the state it came from: consecutive characters mostly share it.
    RtfCharFormat m_lastCharFormat;
    int m_cachedFont = INT_MIN; // \fN of m_cachedFontIndex; reset when the fonts change
    std::uint32_t m_cachedFontIndex = 0;
    std::uint32_t m_lastCharFormatIndex = kNone;

    RtfDocument m_document;
    std::uint32_t m_paragraphFirstRun = 0;
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
            if (TakesPlainText())
                PlainText();
            else
                Byte(static_cast<unsigned char>(c));
        }
    }
    if (m_document.runs.size() > m_paragraphFirstRun)
        PushParagraph();

    if (m_document.omittedParagraphs > 0) {
        // Said in the document itself, so the window and the printout both show it.
        const std::string note = "[" + std::to_string(m_document.omittedParagraphs) +
                                 " more paragraphs were left out: only the first " +
                                 std::to_string(kMaxRtfParagraphs) + " are shown.]";
        m_state = State{};
        m_state.italic = true;
        const std::uint32_t format = CharFormat();
        const auto begin = static_cast<std::uint32_t>(m_document.text.size());
        m_document.text += note;
        m_document.runs.push_back(RtfRun{begin, static_cast<std::uint32_t>(m_document.text.size()), format});
        m_document.paragraphs.push_back(RtfParagraph{m_paragraphFirstRun, 1, ParagraphFormat()});
    }

    const auto most = std::max_element(m_charactersOfFormat.begin(), m_charactersOfFormat.end());
    if (most != m_charactersOfFormat.end()) {
        const RtfCharFormat& format = m_document.charFormats[most - m_charactersOfFormat.begin()];
        m_document.fontName = m_document.fonts[format.font].name;
        m_document.fontHalfPoints = format.halfPoints;
    } else {
        m_document.fontName = m_document.fonts[FontIndex(-1)].name;
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
        if (m_document.runs.size() > m_paragraphFirstRun)
            PushParagraph();
        m_finished = true;
    }
    m_state = m_saved.back();
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
        Byte(static_cast<unsigned char>(high * 16 + low));
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
    if (word == "colortbl") {
        if (m_state.destination == Destination::Text)
            m_state.destination = Destination::ColorTable;
        return;
    }
    if (IsSkippedDestination(word)) {
        m_state.destination = Destination::Skip;
        return;
    }
    switch (m_state.destination) {
    case Destination::Skip:
        return;
    case Destination::FontTable:
        FontTableWord(word, hasParameter, parameter);
        return;
    case Destination::ColorTable:
        ColorTableWord(word, parameter);
        return;
    case Destination::Text:
        break;
    }

    State& s = m_state;
    if (word == "par" || word == "row" || word == "sect" || word == "page") {
        EndParagraph();
    } else if (word == "line") {
        Character('\n');
    } else if (word == "tab" || word == "cell") {
        Character('\t');
    } else if (word == "pard") {
        s.tabNode = kNone;
        s.alignment = RtfAlignment::Left;
        s.leftIndent = s.rightIndent = s.firstLineIndent = s.spaceBefore = s.spaceAfter = 0;
    } else if (word == "ql") {
        s.alignment = RtfAlignment::Left;
    } else if (word == "qc") {
        s.alignment = RtfAlignment::Center;
    } else if (word == "qr") {
        s.alignment = RtfAlignment::Right;
    } else if (word == "qj") {
        s.alignment = RtfAlignment::Justify;
    } else if (word == "li") {
        s.leftIndent = std::clamp(parameter, 0, kMaxIndentTwips);
    } else if (word == "ri") {
        s.rightIndent = std::clamp(parameter, 0, kMaxIndentTwips);
    } else if (word == "fi") {
        s.firstLineIndent = std::clamp(parameter, -kMaxIndentTwips, kMaxIndentTwips);
    } else if (word == "sb") {
        s.spaceBefore = std::clamp(parameter, 0, kMaxIndentTwips);
    } else if (word == "sa") {
        s.spaceAfter = std::clamp(parameter, 0, kMaxIndentTwips);
    } else if (word == "tx") {
        if (hasParameter && parameter > 0)
            AddTabStop(std::min(parameter, kMaxIndentTwips));
    } else if (word == "b") {
        s.bold = on;
    } else if (word == "i") {
        s.italic = on;
    } else if (word == "ul" || word == "uld" || word == "uldb" || word == "ulw" || word == "uldash" ||
               word == "uldashd" || word == "uldashdd" || word == "ulth" || word == "ulwave" ||
               word == "ulhwave" || word == "ulldash" || word == "ulthd" || word == "ulthdash") {
        s.underline = on;
    } else if (word == "ulnone") {
        s.underline = false;
    } else if (word == "strike" || word == "striked") {
        s.strike = on;
    } else if (word == "v") {
        s.hidden = on;
    } else if (word == "plain") {
        s.bold = s.italic = s.underline = s.strike = s.hidden = false;
        s.font = -1;
        s.halfPoints = kDefaultHalfPoints;
        s.color = 0;
    } else if (word == "f") {
        if (hasParameter && parameter >= 0)
            s.font = parameter;
    } else if (word == "deff") {
        if (hasParameter && parameter >= 0) {
            m_defaultFont = parameter;
            m_cachedFont = INT_MIN;
        }
    } else if (word == "mac") {
        m_codePage = 10000;
    } else if (word == "pc") {
        m_codePage = 437;
    } else if (word == "pca") {
        m_codePage = 850;
    } else if (word == "ansicpg") {
        if (hasParameter && parameter > 0)
            m_codePage = parameter;
    } else if (word == "fs") {
        s.halfPoints =
            hasParameter && parameter > 0 ? std::min(parameter, kMaxHalfPoints) : kDefaultHalfPoints;
    } else if (word == "cf") {
        s.color = std::max(parameter, 0);
    } else if (word == "uc") {
        if (hasParameter)
            s.unicodeSkip = std::clamp(parameter, 0, kMaxUnicodeSkip);
    } else if (word == "u") {
        if (hasParameter)
            Unicode(parameter);
    } else if (word == "emdash") {
        Character(0x2014);
    } else if (word == "endash") {
        Character(0x2013);
    } else if (word == "bullet") {
        Character(0x2022);
    } else if (word == "lquote") {
        Character(0x2018);
    } else if (word == "rquote") {
        Character(0x2019);
    } else if (word == "ldblquote") {
        Character(0x201C);
    } else if (word == "rdblquote") {
        Character(0x201D);
    } else if (word == "emspace" || word == "enspace" || word == "qmspace") {
        Character(' ');
    }
}

void Reader::FontTableWord(std::string_view word, bool hasParameter, int parameter) {
    if (word == "f" && hasParameter) {
        CommitFont();
        m_fontEntry = parameter;
    } else if (word == "fcharset") {
        m_fontEntryFont.charset = parameter;
    } else if (word == "froman" || word == "fswiss" || word == "fmodern" || word == "fscript" ||
               word == "fdecor" || word == "ftech") {
        m_fontEntryFont.family = std::string(word.substr(1));
    } else if (word == "u" && hasParameter) {
        Unicode(parameter);
    }
}

void Reader::ColorTableWord(std::string_view word, int parameter) {
    const int component = std::clamp(parameter, 0, 255);
    if (m_red < 0)
        m_red = m_green = m_blue = 0;
    if (word == "red")
        m_red = component;
    else if (word == "green")
        m_green = component;
    else if (word == "blue")
        m_blue = component;
}

void Reader::Unicode(int parameter) {
    auto code = static_cast<char32_t>(parameter < 0 ? parameter + 65536 : parameter);
    if (parameter < -32768 || code > 0xFFFF)
        code = 0xFFFD;
    // The \uN? after it belongs to this character, not to the preceding \'hh fallback count.
    const int skip = m_state.unicodeSkip;
    if (code >= 0xD800 && code <= 0xDBFF) {
        if (m_highSurrogate != 0) {
            m_highSurrogate = 0;
            Character(0xFFFD);
        }
        m_highSurrogate = code;
    } else if (code >= 0xDC00 && code <= 0xDFFF) {
        const char32_t high = m_highSurrogate;
        m_highSurrogate = 0;
        Character(high != 0 ? 0x10000 + ((high - 0xD800) << 10) + (code - 0xDC00) : 0xFFFD);
    } else {
        Character(code);
    }
    m_pendingSkip = skip;
}

void Reader::Byte(unsigned char byte) {
    if (m_excessDepth > 0)
        return;
    if (m_pendingSkip > 0) {
        --m_pendingSkip;
        return;
    }
    if (byte < 0x80) {
        Character(byte);
        return;
    }
    int codePage = m_codePage;
    if (m_state.destination == Destination::Text) {
        const RtfFont& font = m_document.fonts[FontIndex(m_state.font)];
        // Symbol fonts have their own glyphs; their bullet is the one lists use.
        if (font.charset == 2 && byte == 0xB7) {
            Character(0x2022);
            return;
        }
        if (const int fontCodePage = CodePageOfCharset(font.charset))
            codePage = fontCodePage;
    }
    Character(CodePageTable(codePage)[byte - 0x80]);
}

void Reader::Character(char32_t c) {
    if (m_excessDepth > 0)
        return;
    if (m_highSurrogate != 0 && (c < 0xDC00 || c > 0xDFFF)) {
        m_highSurrogate = 0;
        Character(0xFFFD);
    }
    switch (m_state.destination) {
    case Destination::Text:
        if (!m_state.hidden)
            AddText(c);
        break;
    case Destination::FontTable:
        if (c == ';')
            CommitFont();
        else if (c >= 32)
            AppendUtf8(m_fontEntryFont.name, c);
        break;
    case Destination::ColorTable:
        if (c == ';')
            CommitColor();
        break;
    case Destination::Skip:
        break;
    }
}

void Reader::AddText(char32_t c) {
    if ((c < 32 && c != '\t' && c != '\n') || (c >= 0x7F && c <= 0x9F))
        return;
    if (m_document.paragraphs.size() >= kMaxRtfParagraphs || m_document.text.size() >= kMaxTextSize)
        return;
    const std::uint32_t format = CharFormat();
    ++m_charactersOfFormat[format];
    const auto begin = static_cast<std::uint32_t>(m_document.text.size());
    AppendUtf8(m_document.text, c);
    const auto end = static_cast<std::uint32_t>(m_document.text.size());
    auto& runs = m_document.runs;
    if (runs.size() > m_paragraphFirstRun && runs.back().format == format && runs.back().end == begin)
        runs.back().end = end;
    else
        runs.push_back(RtfRun{begin, end, format});
}

bool Reader::TakesPlainText() const {
    return m_state.destination == Destination::Text && !m_state.hidden && m_excessDepth == 0 &&
           m_pendingSkip == 0 && m_highSurrogate == 0;
}

void Reader::PlainText() {
    const std::size_t start = m_pos - 1;
    const auto plain = [](char c) { return c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}'; };
    if (!plain(m_in[start])) {
        Byte(static_cast<unsigned char>(m_in[start]));
        return;
    }
    std::size_t end = m_pos;
    while (end < m_in.size() && plain(m_in[end]))
        ++end;
    m_pos = end;
    // Past the limits the text is passed over as fast as it is read.
    if (m_document.paragraphs.size() >= kMaxRtfParagraphs ||
        m_document.text.size() + (end - start) >= kMaxTextSize)
        return;
    const std::uint32_t format = CharFormat();
    m_charactersOfFormat[format] += end - start;
    const auto begin = static_cast<std::uint32_t>(m_document.text.size());
    m_document.text.append(m_in, start, end - start);
    auto& runs = m_document.runs;
    if (runs.size() > m_paragraphFirstRun && runs.back().format == format && runs.back().end == begin)
        runs.back().end = static_cast<std::uint32_t>(m_document.text.size());
    else
        runs.push_back(RtfRun{begin, static_cast<std::uint32_t>(m_document.text.size()), format});
}

std::uint32_t Reader::FontIndex(int font) const {
    auto found = m_fontIndex.find(font < 0 ? m_defaultFont : font);
    if (found == m_fontIndex.end())
        found = m_fontIndex.find(m_defaultFont);
    return found == m_fontIndex.end() ? 0 : found->second;
}

std::uint32_t Reader::CharFormat() {
    RtfCharFormat format;
    if (m_state.font != m_cachedFont) {
        m_cachedFont = m_state.font;
        m_cachedFontIndex = FontIndex(m_state.font);
    }
    format.font = m_cachedFontIndex;
    format.halfPoints = m_state.halfPoints;
    format.color =
        static_cast<std::size_t>(m_state.color) < m_colors.size() ? m_colors[m_state.color] : kRtfAutoColor;
    format.bold = m_state.bold;
    format.italic = m_state.italic;
    format.underline = m_state.underline;
    format.strike = m_state.strike;
    if (m_lastCharFormatIndex != kNone && format == m_lastCharFormat)
        return m_lastCharFormatIndex;
    if (m_document.charFormats.size() >= kMaxCharFormats && m_lastCharFormatIndex != kNone) {
        const auto found = m_charFormats.find(format);
        if (found == m_charFormats.end())
            return m_lastCharFormatIndex;
    }
    const auto [it, added] =
        m_charFormats.emplace(format, static_cast<std::uint32_t>(m_document.charFormats.size()));
    if (added) {
        m_document.charFormats.push_back(format);
        m_charactersOfFormat.push_back(0);
    }
    m_lastCharFormat = format;
    m_lastCharFormatIndex = it->second;
    return it->second;
}

void Reader::AddTabStop(int stop) {
    const std::uint32_t count = m_state.tabNode == kNone ? 0 : m_tabNodes[m_state.tabNode].count;
    // Shared by every state that holds the chain, so saving a state for a group copies no stops.
    if (count >= kMaxTabStops || m_tabNodes.size() >= kMaxTabNodes)
        return;
    m_tabNodes.push_back(TabNode{stop, m_state.tabNode, count + 1, kNone});
    m_state.tabNode = static_cast<std::uint32_t>(m_tabNodes.size() - 1);
}

std::uint32_t Reader::TabSet() {
    if (m_state.tabNode == kNone)
        return 0;
    TabNode& node = m_tabNodes[m_state.tabNode];
    if (node.set != kNone)
        return node.set;
    std::vector<int> stops;
    stops.reserve(node.count);
    for (std::uint32_t n = m_state.tabNode; n != kNone; n = m_tabNodes[n].parent)
        stops.push_back(m_tabNodes[n].stop);
    std::sort(stops.begin(), stops.end());
    stops.erase(std::unique(stops.begin(), stops.end()), stops.end());
    const auto [it, added] =
        m_tabSets.emplace(std::move(stops), static_cast<std::uint32_t>(m_document.tabStopSets.size()));
    if (added)
        m_document.tabStopSets.push_back(it->first);
    node.set = it->second;
    return it->second;
}

std::uint32_t Reader::ParagraphFormat() {
    RtfParagraphFormat format;
    format.alignment = m_state.alignment;
    format.leftIndentTwips = m_state.leftIndent;
    format.rightIndentTwips = m_state.rightIndent;
    format.firstLineIndentTwips = m_state.firstLineIndent;
    format.spaceBeforeTwips = m_state.spaceBefore;
    format.spaceAfterTwips = m_state.spaceAfter;
    format.tabStops = TabSet();
    const auto [it, added] =
        m_paragraphFormats.emplace(format, static_cast<std::uint32_t>(m_document.paragraphFormats.size()));
    if (added)
        m_document.paragraphFormats.push_back(format);
    return it->second;
}

void Reader::EndParagraph() {
    if (m_state.destination == Destination::Text)
        PushParagraph();
}

void Reader::PushParagraph() {
    if (m_document.paragraphs.size() >= kMaxRtfParagraphs) {
        ++m_document.omittedParagraphs;
        return;
    }
    const auto runCount = static_cast<std::uint32_t>(m_document.runs.size() - m_paragraphFirstRun);
    m_document.paragraphs.push_back(RtfParagraph{m_paragraphFirstRun, runCount, ParagraphFormat()});
    m_paragraphFirstRun = static_cast<std::uint32_t>(m_document.runs.size());
}

void Reader::CommitFont() {
    if (m_fontEntry >= 0 && m_document.fonts.size() <= kMaxFonts && !m_fontIndex.contains(m_fontEntry)) {
        m_fontEntryFont.name = std::string(text::Trim(m_fontEntryFont.name));
        m_fontIndex.emplace(m_fontEntry, static_cast<std::uint32_t>(m_document.fonts.size()));
        m_document.fonts.push_back(std::move(m_fontEntryFont));
        m_cachedFont = INT_MIN;
    }
    m_fontEntry = -1;
    m_fontEntryFont = RtfFont{};
}

void Reader::CommitColor() {
    if (m_colors.size() < kMaxColors)
        m_colors.push_back(m_red < 0 ? kRtfAutoColor
                                     : static_cast<std::uint32_t>(m_red << 16 | m_green << 8 | m_blue));
    m_red = -1;
    m_green = m_blue = 0;
}

} // namespace

std::string_view RtfDocument::Text(const RtfRun& run) const {
    return std::string_view(text).substr(run.begin, run.end - run.begin);
}

std::span<const RtfRun> RtfDocument::Runs(const RtfParagraph& paragraph) const {
    return std::span<const RtfRun>(runs).subspan(paragraph.firstRun, paragraph.runCount);
}

const RtfParagraphFormat& RtfDocument::Format(const RtfParagraph& paragraph) const {
    return paragraphFormats[paragraph.format];
}

const std::vector<int>& RtfDocument::TabStops(const RtfParagraph& paragraph) const {
    return tabStopSets[Format(paragraph).tabStops];
}

std::string RtfDocument::Text(const RtfParagraph& paragraph) const {
    std::string joined;
    for (const RtfRun& run : Runs(paragraph))
        joined += Text(run);
    return joined;
}

Result<RtfDocument> ReadRtf(std::string_view rtf) {
    if (!rtf.starts_with(kRtfStart))
        return Error{kNotRtfText, ErrorCode::Malformed};
    return Reader(rtf).Read();
}

Result<RtfDocument> ReadRtfFile(const std::string& path) {
    Result<std::string> data = ReadWholeFile(path);
    if (!data)
        return data.error();
    Result<RtfDocument> read = ReadRtf(*data);
    if (!read)
        return Error{"Cannot read \"" + path + "\": " + read.error().message, read.error().code};
    return read;
}

namespace {

// Plain text as RTF, so it is shown, limited and printed as any other document.
std::string PlainTextAsRtf(std::string_view data) {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\uc1 ";
    rtf.reserve(data.size() * 2);
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = data.size();
        rtf += RtfEscape(DecodeText(data.substr(start, end - start)));
        if (end < data.size()) {
            rtf += "\\par\n";
            end += data.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        }
        start = end;
    }
    rtf += '}';
    return rtf;
}

} // namespace

Result<RtfDocument> ReadRichOrPlainTextFile(const std::string& path) {
    Result<std::string> read = ReadWholeFile(path);
    if (!read)
        return read.error();
    std::string& data = *read;
    if (data.starts_with(kRtfStart))
        return ReadRtf(data);
    data = FileTextFromUtf16(std::move(data));
    std::string_view text = data;
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    return ReadRtf(PlainTextAsRtf(text));
}

} // namespace kb
