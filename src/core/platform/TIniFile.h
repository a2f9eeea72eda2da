#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/platform/Result.h"

namespace kb {

// Profile-file access on a plain 8-bit text file, with the semantics the program's
// data files were written for: case-insensitive section and key names, the first of
// two equal keys counts, blanks around names and values dropped, one pair of double
// quotes around a value removed, values cut at 2047 characters. Values are read and
// written as UTF-8 text by the rule of TextCodec.h; a file in UTF-16 is read as text and
// written back in that rule. When a section header
// appears twice, the first occurrence is the section and keys under the later ones are
// not seen. Names given by the caller are matched without the blanks around them.
//
// The file is read once when the object is made; an object is meant to live for one
// use and be released right after it. A write reads the file again under the file's lock,
// changes its keys and keeps every other byte, and replaces the file safely (SafeFile.h);
// afterwards the object holds what is on disk.
class TIniFile {
  public:
    static constexpr std::size_t kMaxValueLength = 2047;

    explicit TIniFile(std::string path);
    // Keeps of the file only the given keys of one section; reading anything else gives the
    // default. Its memory is then the file's own, whatever the file holds besides.
    TIniFile(std::string path, std::string_view section, const std::vector<std::string>& keys);

    const std::string& FileName() const { return m_path; }
    // False when the file exists but could not be read (a folder, no permission);
    // ReadError() then says why. A missing file is not an error: it reads as empty.
    bool Readable() const { return m_readError.empty(); }
    const std::string& ReadError() const { return m_readError; }

    std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
    // Decimal with optional sign, or "0x"/"0X" hexadecimal; anything else gives def.
    int ReadInteger(std::string_view section, std::string_view key, int def) const;
    // An integer; non-zero is true; anything that is not an integer gives def.
    bool ReadBool(std::string_view section, std::string_view key, bool def) const;
    // Key names of the section in file order, each once (the first spelling).
    std::vector<std::string> ReadSection(std::string_view section) const;
    // Key/value pairs of the section in file order, each key once with its first value.
    std::vector<std::pair<std::string, std::string>> ReadSectionValues(std::string_view section) const;
    bool SectionExists(std::string_view section) const;

    // Replace the key's value, or add the key (and the section). On failure the error names
    // the file and the file is unchanged.
    // CR and LF in the value become blanks. A value that would not read back as given
    // (blanks at an end, or enclosed in quotes) is written in a pair of quotes.
    Result<void> WriteString(std::string_view section, std::string_view key, std::string_view value);
    Result<void> WriteInteger(std::string_view section, std::string_view key, int value);
    Result<void> WriteBool(std::string_view section, std::string_view key, bool value);
    // Replaces or adds every key of the list in one section in one change of the file:
    // all of them are stored, or (on failure) the file is unchanged.
    // Names and values follow WriteString's rules; of a key listed twice the last value counts.
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    Result<void> WriteStrings(std::string_view section, const Pairs& values);
    // WriteStrings on the file at path without an object that reads it first: one read under
    // the file's lock, one parse that keeps nothing but the keys to write, one write.
    static Result<void> WriteSection(const std::string& path, std::string_view section, const Pairs& values);

    // The text of a new file holding the sections in the order given, each key written by
    // WriteString's rules, lines ending in LF. Fails on a name WriteString refuses.
    using Values = std::vector<std::pair<std::string, std::string>>;
    static Result<std::string> Compose(const std::vector<std::pair<std::string, Values>>& sections);

    // A slot of the hash tables over section and key names: 1 + the name's position in its
    // list (0 for a free slot) and the name's hash.
    struct Slot {
        std::uint32_t position = 0;
        std::uint32_t hash = 0;
    };

  private:
    // 32-bit offsets into m_data rather than views: a copied object stays valid, and
    // small records keep parsing a large file cheap. Files are limited to 64 MB.
    struct Span {
        std::uint32_t pos = 0;
        std::uint32_t size = 0;
    };
    struct Entry {
        Span key;   // trimmed key as spelled in the file
        Span value; // trimmed raw value (quotes not yet removed); pos is kept for an empty value too
    };
    struct Section {
        Span name;
        std::uint32_t firstEntry = 0; // a section's entries are contiguous in m_entries
        std::uint32_t entryCount = 0;
        std::uint32_t insertAt = 0; // end of the last key line (or of the header), before its line ending
        std::uint32_t index = 0;    // 1 + position in m_entryIndexes for a long section, 0 for none
    };

    struct Unread {};
    TIniFile(std::string path, Unread) : m_path(std::move(path)) {}
    // The one section and its keys an object keeps, when it keeps no more.
    struct Focus {
        std::string section;
        std::vector<std::string> keys;
    };

    void Read();
    void Parse();
    std::string_view Text(Span span) const { return std::string_view(m_data).substr(span.pos, span.size); }
    const Section* FindSection(std::string_view name) const;
    const Entry* FindEntry(const Section& section, std::string_view key) const;
    const std::vector<Slot>& EntryIndex(const Section& section) const;
    static std::string CleanValue(std::string_view raw);
    // The file's text with every key of the list replaced or added in one pass.
    std::string ComposeWrites(std::string_view section, const Pairs& values) const;
    // Reads, composes and writes under the file's lock; written receives the new text.
    Result<void> Update(std::string_view section, const Pairs& values, std::string* written);

    std::string m_path;
    std::optional<Focus> m_focus;
    std::string m_readError;
    std::string m_data;
    std::size_t m_bomLength = 0;
    std::string_view m_lineEnding = "\n"; // style of the file's first line ending, for added lines
    std::vector<Entry> m_entries;
    std::vector<Section> m_sections;               // first occurrence of each name only
    std::vector<Slot> m_sectionIndex;              // hash slots over m_sections, once there are many
    std::vector<std::vector<Slot>> m_entryIndexes; // hash slots over the entries of long sections
};

} // namespace kb
