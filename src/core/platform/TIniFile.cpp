#include "core/platform/TIniFile.h"

#include "core/platform/Numbers.h"
#include "core/platform/Text.h"

#include "core/platform/SafeFile.h"
#include "core/platform/SaveJournal.h"
#include "core/platform/TextCodec.h"

#include <sodium.h>

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace kb {

namespace {

using text::EqualNoCase;
using text::Trim;

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
// Below this many names a linear scan beats hashing; most sections are short.
constexpr std::size_t kLinearLimit = 8;
// Offsets are 32-bit, far more than the limit of every file read; a written file must
// stay within that limit so that it can be read back.
constexpr std::size_t kMaxFileSize = kMaxReadFileSize;
static_assert(kMaxFileSize < UINT32_MAX);

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

unsigned char Lower(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

// Keyed with a random key per process, so that nobody who writes a file can choose names
// that share one probe chain: SipHash from libsodium over the lower-cased name.
std::uint32_t HashNoCase(std::string_view s) {
    static const auto key = [] {
        std::array<unsigned char, crypto_shorthash_KEYBYTES> k{};
        if (sodium_init() < 0) {
            std::abort();
        }
        crypto_shorthash_keygen(k.data());
        return k;
    }();
    thread_local std::string lower;
    lower.resize(s.size());
    std::transform(s.begin(), s.end(), lower.begin(), [](char c) { return static_cast<char>(Lower(c)); });
    unsigned char out[crypto_shorthash_BYTES];
    crypto_shorthash(out, reinterpret_cast<const unsigned char*>(lower.data()), lower.size(), key.data());
    std::uint32_t h;
    std::memcpy(&h, out, sizeof h);
    return h;
}

// A name whose hash is computed at most once, however often it is looked up and inserted.
class HashedName {
  public:
    explicit HashedName(std::string_view name) : m_name(name) {}
    std::string_view name() const { return m_name; }
    std::uint32_t hash() const {
        if (!m_hashed) {
            m_hash = HashNoCase(m_name);
            m_hashed = true;
        }
        return m_hash;
    }

  private:
    std::string_view m_name;
    mutable std::uint32_t m_hash = 0;
    mutable bool m_hashed = false;
};

// Open-addressing table over a list of names that nameAt(i) returns. A slot keeps the
// name's hash, so that a probe compares names only when the hashes agree and the table
// grows without hashing again. The lists hold each name once, so an insert never meets an
// equal name.
template <class NameAt>
std::size_t IndexFind(const std::vector<TIniFile::Slot>& slots, std::size_t count, const HashedName& name,
                      NameAt nameAt) {
    if (slots.empty()) {
        for (std::size_t i = 0; i < count; ++i) {
            if (EqualNoCase(nameAt(i), name.name())) {
                return i;
            }
        }
        return kNotFound;
    }
    const std::uint32_t hash = name.hash();
    const std::size_t mask = slots.size() - 1;
    for (std::size_t h = hash & mask;; h = (h + 1) & mask) {
        const TIniFile::Slot& slot = slots[h];
        if (slot.position == 0) {
            return kNotFound;
        }
        if (slot.hash == hash && EqualNoCase(nameAt(slot.position - 1), name.name())) {
            return slot.position - 1;
        }
    }
}

void IndexInsert(std::vector<TIniFile::Slot>& slots, TIniFile::Slot slot) {
    const std::size_t mask = slots.size() - 1;
    std::size_t h = slot.hash & mask;
    while (slots[h].position != 0) {
        h = (h + 1) & mask;
    }
    slots[h] = slot;
}

// Call after appending the count-th name, added, to the list.
template <class NameAt>
void IndexAdded(std::vector<TIniFile::Slot>& slots, std::size_t count, const HashedName& added,
                NameAt nameAt) {
    if (count <= kLinearLimit) {
        return;
    }
    if (slots.empty()) {
        slots.assign(std::bit_ceil(count * 4), TIniFile::Slot{});
        for (std::size_t i = 0; i + 1 < count; ++i) {
            IndexInsert(slots, {static_cast<std::uint32_t>(i + 1), HashNoCase(nameAt(i))});
        }
        IndexInsert(slots, {static_cast<std::uint32_t>(count), added.hash()});
        return;
    }
    if (count * 2 > slots.size()) {
        std::vector<TIniFile::Slot> grown(slots.size() * 2);
        for (const TIniFile::Slot& slot : slots) {
            if (slot.position != 0) {
                IndexInsert(grown, slot);
            }
        }
        slots.swap(grown);
    }
    IndexInsert(slots, {static_cast<std::uint32_t>(count), added.hash()});
}

// Names that would be read back as something else, or break the file's structure.
const char* NameProblem(std::string_view section, std::string_view key) {
    if (section.empty()) {
        return "empty section name";
    }
    if (section.find_first_of("\r\n]") != std::string_view::npos) {
        return "invalid section name";
    }
    if (key.empty()) {
        return "empty key name";
    }
    if (key.find_first_of("\r\n=") != std::string_view::npos || key.front() == '[' || key.front() == ';' ||
        key.front() == '#') {
        return "invalid key name";
    }
    return nullptr;
}

std::string ValueToWrite(std::string_view value) {
    std::string text(value);
    std::replace_if(text.begin(), text.end(), IsLineEnd, ' ');
    const bool blankAtEnd = !text.empty() && (IsBlank(text.front()) || IsBlank(text.back()));
    const bool quoted = text.size() >= 2 && text.front() == '"' && text.back() == '"';
    if (blankAtEnd || quoted) {
        return '"' + text + '"';
    }
    return text;
}

} // namespace

TIniFile::TIniFile(std::string path) : m_path(std::move(path)) {
    Read();
}

TIniFile::TIniFile(std::string path, std::string_view section, const std::vector<std::string>& keys)
    : m_path(std::move(path)), m_focus(Focus{std::string(Trim(section)), {}}) {
    for (const std::string& key : keys)
        m_focus->keys.emplace_back(Trim(key));
    Read();
}

void TIniFile::Read() {
    // A file whose in-place save was interrupted is made whole before it is read.
    CompleteInterruptedSaveOf(m_path);
    // A missing file reads as an empty one.
    Result<std::string> read = ReadWholeFile(m_path, kMaxFileSize);
    if (read)
        m_data = FileTextFromUtf16(std::move(*read));
    else if (read.error().code != ErrorCode::Missing)
        m_readError = read.error().message;
    Parse();
}

void TIniFile::Parse() {
    m_entries.clear();
    m_sections.clear();
    m_sectionIndex.clear();
    m_entryIndexes.clear();
    m_lineEnding = "\n";
    m_bomLength = std::string_view(m_data).starts_with(kBom) ? kBom.size() : 0;

    const char* const base = m_data.data();
    const std::size_t size = m_data.size();
    const auto sectionName = [this](std::size_t i) { return Text(m_sections[i].name); };
    const auto span = [base](std::string_view s) {
        return Span{static_cast<std::uint32_t>(s.data() - base), static_cast<std::uint32_t>(s.size())};
    };
    bool endingSeen = false;
    std::size_t current = kNotFound; // section that receives key lines; none before the first header

    // Next LF and next CR at or after pos, each searched again only once passed, so
    // the scan stays linear and runs at memchr speed.
    const auto find = [base, size](char c, std::size_t from) {
        const void* hit = std::memchr(base + from, c, size - from);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - base) : size;
    };
    std::size_t nextLf = find('\n', m_bomLength);
    std::size_t nextCr = find('\r', m_bomLength);
    for (std::size_t pos = m_bomLength; pos < size;) {
        if (nextLf < pos) {
            nextLf = find('\n', pos);
        }
        if (nextCr < pos) {
            nextCr = find('\r', pos);
        }
        const std::size_t end = std::min(nextLf, nextCr);
        std::size_t next = end;
        if (end < size) {
            next = (base[end] == '\r' && end + 1 < size && base[end + 1] == '\n') ? end + 2 : end + 1;
            if (!endingSeen) {
                endingSeen = true;
                m_lineEnding = next - end == 2 ? "\r\n" : (base[end] == '\r' ? "\r" : "\n");
            }
        }
        const std::string_view line = Trim(std::string_view(base + pos, end - pos));
        pos = next;
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }

        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const HashedName name(
                Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)));
            if (IndexFind(m_sectionIndex, m_sections.size(), name, sectionName) != kNotFound ||
                (m_focus && !EqualNoCase(name.name(), m_focus->section))) {
                current = kNotFound;
                continue;
            }
            Section section;
            section.name = span(name.name());
            section.firstEntry = static_cast<std::uint32_t>(m_entries.size());
            section.insertAt = static_cast<std::uint32_t>(end);
            m_sections.push_back(section);
            IndexAdded(m_sectionIndex, m_sections.size(), name, sectionName);
            current = m_sections.size() - 1;
            continue;
        }

        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || current == kNotFound) {
            continue;
        }
        const HashedName key(Trim(line.substr(0, equals)));
        if (key.name().empty()) {
            continue;
        }
        Section& section = m_sections[current];
        section.insertAt = static_cast<std::uint32_t>(end);
        if (m_focus &&
            std::none_of(m_focus->keys.begin(), m_focus->keys.end(),
                         [&key](const std::string& wanted) { return EqualNoCase(wanted, key.name()); })) {
            continue;
        }
        const auto entryKey = [this, first = section.firstEntry](std::size_t i) {
            return Text(m_entries[first + i].key);
        };
        if (IndexFind(EntryIndex(section), section.entryCount, key, entryKey) != kNotFound) {
            continue;
        }
        // Taken from the untrimmed line so that an empty value sits after any trailing blanks.
        const char* const afterEquals = line.data() + equals + 1;
        const std::string_view value = Trim(std::string_view(afterEquals, base + end - afterEquals));
        m_entries.push_back(Entry{span(key.name()), span(value)});
        ++section.entryCount;
        if (section.entryCount > kLinearLimit && section.index == 0) {
            m_entryIndexes.emplace_back();
            section.index = static_cast<std::uint32_t>(m_entryIndexes.size());
        }
        if (section.index != 0) {
            IndexAdded(m_entryIndexes[section.index - 1], section.entryCount, key, entryKey);
        }
    }
}

const TIniFile::Section* TIniFile::FindSection(std::string_view name) const {
    const std::size_t i = IndexFind(m_sectionIndex, m_sections.size(), HashedName(Trim(name)),
                                    [this](std::size_t i) { return Text(m_sections[i].name); });
    return i == kNotFound ? nullptr : &m_sections[i];
}

const std::vector<TIniFile::Slot>& TIniFile::EntryIndex(const Section& section) const {
    static const std::vector<Slot> none;
    return section.index == 0 ? none : m_entryIndexes[section.index - 1];
}

const TIniFile::Entry* TIniFile::FindEntry(const Section& section, std::string_view key) const {
    const std::size_t first = section.firstEntry;
    const std::size_t i = IndexFind(EntryIndex(section), section.entryCount, HashedName(Trim(key)),
                                    [this, first](std::size_t i) { return Text(m_entries[first + i].key); });
    return i == kNotFound ? nullptr : &m_entries[first + i];
}

std::string TIniFile::CleanValue(std::string_view raw) {
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
        raw = raw.substr(1, raw.size() - 2);
    }
    // Values are text: decoded on their own and cut by characters, never inside one.
    const std::string text = DecodeText(raw);
    return std::string(CutToCharacters(text, kMaxValueLength));
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
    if (const Section* s = FindSection(section)) {
        if (const Entry* e = FindEntry(*s, key)) {
            return CleanValue(Text(e->value));
        }
    }
    return std::string(def);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
    if (const Section* s = FindSection(section)) {
        if (const Entry* e = FindEntry(*s, key)) {
            if (const std::optional<int> value = numbers::ParseInteger(CleanValue(Text(e->value)))) {
                return *value;
            }
        }
    }
    return def;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> keys;
    if (const Section* s = FindSection(section)) {
        keys.reserve(s->entryCount);
        for (std::size_t i = 0; i < s->entryCount; ++i) {
            keys.emplace_back(Text(m_entries[s->firstEntry + i].key));
        }
    }
    return keys;
}

std::vector<std::pair<std::string, std::string>> TIniFile::ReadSectionValues(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> pairs;
    if (const Section* s = FindSection(section)) {
        pairs.reserve(s->entryCount);
        for (std::size_t i = 0; i < s->entryCount; ++i) {
            const Entry& e = m_entries[s->firstEntry + i];
            pairs.emplace_back(std::string(Text(e.key)), CleanValue(Text(e.value)));
        }
    }
    return pairs;
}

bool TIniFile::SectionExists(std::string_view section) const {
    return FindSection(section) != nullptr;
}

std::string TIniFile::ComposeWrites(std::string_view section, const Pairs& values) const {
    // Each key once, at its first place in the list, with its last value.
    struct Change {
        std::string_view key;
        std::string value;
        const Entry* entry = nullptr;
    };
    std::vector<Change> changes;
    changes.reserve(values.size());
    for (const auto& [name, value] : values) {
        const std::string_view key = Trim(name);
        std::string text = ValueToWrite(EncodeForFile(value));
        const auto same = std::find_if(changes.begin(), changes.end(),
                                       [key](const Change& c) { return EqualNoCase(c.key, key); });
        if (same != changes.end())
            same->value = std::move(text);
        else
            changes.push_back({key, std::move(text)});
    }
    std::size_t added = 0;
    for (const Change& c : changes)
        added += m_lineEnding.size() + c.key.size() + 1 + c.value.size();
    std::string content;
    content.reserve(m_data.size() + added + section.size() + 2 * m_lineEnding.size() + 2);

    const Section* s = FindSection(section);
    if (!s) {
        content = m_data;
        if (content.size() > m_bomLength && !IsLineEnd(content.back()))
            content.append(m_lineEnding);
        content.append("[").append(section).append("]").append(m_lineEnding);
        for (const Change& c : changes)
            content.append(c.key).append("=").append(c.value).append(m_lineEnding);
        return content;
    }
    // Values replaced in file order; keys the section lacks follow its last key line, in the
    // list's order. That line ends at or after every value of the section.
    std::vector<const Change*> replaced;
    for (Change& c : changes) {
        c.entry = FindEntry(*s, c.key);
        if (c.entry)
            replaced.push_back(&c);
    }
    std::sort(replaced.begin(), replaced.end(),
              [](const Change* a, const Change* b) { return a->entry->value.pos < b->entry->value.pos; });
    std::size_t at = 0;
    for (const Change* c : replaced) {
        content.append(m_data, at, c->entry->value.pos - at).append(c->value);
        at = c->entry->value.pos + c->entry->value.size;
    }
    content.append(m_data, at, s->insertAt - at);
    for (const Change& c : changes) {
        if (!c.entry)
            content.append(m_lineEnding).append(c.key).append("=").append(c.value);
    }
    content.append(m_data, s->insertAt);
    return content;
}

Result<void> TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    return WriteStrings(section, {{std::string(key), std::string(value)}});
}

Result<std::string> TIniFile::Compose(const std::vector<std::pair<std::string, Values>>& sections) {
    std::string content;
    for (const auto& [section, values] : sections) {
        const std::string_view name = Trim(section);
        if (values.empty() && NameProblem(name, "k")) {
            return Error{"Cannot compose section \"" + section + "\": " + NameProblem(name, "k")};
        }
        content.append("[").append(name).append("]\n");
        for (const auto& [key, value] : values) {
            if (const char* problem = NameProblem(name, Trim(key))) {
                return Error{"Cannot compose " + section + "/" + key + ": " + problem};
            }
            content.append(Trim(key)).append("=").append(ValueToWrite(EncodeForFile(value))).append("\n");
        }
    }
    return content;
}

Result<void> TIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
    return WriteString(section, key, std::to_string(value));
}

Result<void> TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

Result<void> TIniFile::WriteStrings(std::string_view section, const Pairs& values) {
    std::string written;
    const Result<void> result = Update(section, values, &written);
    if (result) {
        m_data = std::move(written);
        m_readError.clear();
    }
    // What the object keeps of the file as it is now, read or written.
    Parse();
    return result;
}

Result<void> TIniFile::WriteSection(const std::string& path, std::string_view section, const Pairs& values) {
    return TIniFile(path, Unread{}).Update(section, values, nullptr);
}

Result<void> TIniFile::Update(std::string_view section, const Pairs& values, std::string* written) {
    const auto fail = [&](const std::string& reason) {
        return Error{"Cannot write \"" + m_path + "\": " + reason};
    };
    section = Trim(section);
    for (const auto& [key, value] : values) {
        if (const char* problem = NameProblem(section, Trim(key)))
            return fail(problem);
    }
    // Composed from the file as it is once its lock is held, so that no other save's change
    // in between is undone; parsed once, keeping only the section and the keys to write, and
    // written once.
    Focus focus{std::string(section), {}};
    for (const auto& [key, value] : values)
        focus.keys.emplace_back(Trim(key));
    const auto compose = [&](std::string current) -> Result<std::string> {
        m_data = FileTextFromUtf16(std::move(current));
        const std::optional<Focus> own = std::exchange(m_focus, focus);
        Parse();
        m_focus = own;
        std::string content = ComposeWrites(section, values);
        if (content.size() > kMaxFileSize)
            return fail(TooLargeReason(kMaxFileSize));
        return content;
    };
    std::string content;
    const Result<void> result = UpdateFileSafely(m_path, [&](std::string current) -> Result<std::string> {
        Result<std::string> composed = compose(std::move(current));
        if (composed && written)
            content = *composed;
        return composed;
    });
    if (result && written)
        *written = std::move(content);
    return result;
}

} // namespace kb
