// Input: the bytes of a profile file, then two bytes that pick where to write and one
// that picks how. Every key of every section must read consistently; one write must
// read back as written (after its documented cleaning) and leave every other line as it
// was; a refused write must leave the file untouched.
#include "core/platform/TIniFile.h"
#include "core/platform/TextCodec.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <fuzzer/FuzzedDataProvider.h>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

using namespace kb;

namespace {

// What was written, shown with a failure so that a finding can be read without a debugger.
std::string g_write;

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_inifile: %s\n%s\n", what, g_write.c_str());
        std::abort();
    }
}

std::string Escaped(std::string_view bytes) {
    std::string text = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte < 127 && c != '"' && c != '\\') {
            text += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            text += hex;
        }
    }
    return text + "\"";
}

std::string g_folder;

void RemoveFolder() {
    if (DIR* dir = ::opendir(g_folder.c_str())) {
        while (const dirent* item = ::readdir(dir)) {
            const std::string name = item->d_name;
            if (name != "." && name != "..")
                ::unlink((g_folder + "/" + name).c_str());
        }
        ::closedir(dir);
    }
    ::rmdir(g_folder.c_str());
}

const std::string& Folder() {
    if (g_folder.empty()) {
        // Every write syncs the file and its folder; in memory that costs next to nothing.
        const char* tmp = std::getenv("TMPDIR");
        const std::string base = tmp && *tmp ? tmp : (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        std::string pattern = base + "/fuzz_inifile.XXXXXX";
        Require(::mkdtemp(pattern.data()) != nullptr, "cannot create a scratch folder");
        g_folder = pattern;
        std::atexit(RemoveFolder);
    }
    return g_folder;
}

std::vector<std::string> FolderNames() {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(Folder().c_str())) {
        while (const dirent* item = ::readdir(dir)) {
            const std::string name = item->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    return names;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    Require(static_cast<bool>(out), "cannot write the input file");
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Line contents without their endings; CR LF, a lone CR and a lone LF each end a line.
std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = std::min(text.find('\n', pos), text.find('\r', pos));
        if (end == std::string_view::npos) {
            lines.push_back(text.substr(pos));
            break;
        }
        lines.push_back(text.substr(pos, end - pos));
        pos = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

// Names of the section headers, in file order (duplicates included).
std::vector<std::string> HeaderNames(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<std::string> names;
    for (std::string_view line : Lines(text)) {
        line = Trim(line);
        if (line.empty() || line.front() != '[')
            continue;
        const std::size_t close = line.find(']');
        names.emplace_back(Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)));
    }
    return names;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

// Every listed key reads back its listed value, once per key, whichever lookup is used.
void CheckReads(const TIniFile& ini, const std::vector<std::string>& sections) {
    static const std::string kAbsent = "\x01"
                                       "absent\x02";
    for (const std::string& section : sections) {
        Require(ini.SectionExists(section), "a section header is not found");
        const auto keys = ini.ReadSection(section);
        const auto pairs = ini.ReadSectionValues(section);
        Require(keys.size() == pairs.size(), "ReadSection and ReadSectionValues disagree in length");
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            Require(keys[i] == pairs[i].first, "ReadSection and ReadSectionValues disagree in a name");
            Require(CharacterCount(pairs[i].second) <= TIniFile::kMaxValueLength,
                    "a value is longer than the limit");
            Require(ini.ReadString(section, pairs[i].first, kAbsent) == pairs[i].second,
                    "ReadString disagrees with ReadSectionValues");
            for (std::size_t j = 0; j < i; ++j)
                Require(!EqualNoCase(pairs[j].first, pairs[i].first), "a key is listed twice");
        }
    }
}

std::string Slice(const std::string& text, std::size_t from, std::size_t length) {
    if (text.empty())
        return {};
    return text.substr(from % text.size(), length);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const auto mode = provider.ConsumeIntegral<std::uint8_t>();
    const auto pick = provider.ConsumeIntegral<std::uint16_t>();
    const std::string raw = provider.ConsumeRemainingBytesAsString();
    // A file in UTF-16 is read (and rewritten) as the 8-bit text it converts to.
    const std::string text = FileTextFromUtf16(raw);

    const std::string path = Folder() + "/t.ini";
    WriteBytes(path, raw);
    TIniFile ini(path);
    Require(ini.Readable(), "a regular file is reported unreadable");
    const std::vector<std::string> sections = HeaderNames(text);
    CheckReads(ini, sections);

    // Where to write: an existing key, a new key of an existing section, or a new section;
    // names and value are cut from the input so that they carry its odd bytes.
    std::string section;
    std::string key;
    const unsigned where = mode % 3;
    if (where != 2 && !sections.empty()) {
        section = sections[pick % sections.size()];
        const auto keys = ini.ReadSection(section);
        if (where == 0 && !keys.empty())
            key = keys[(pick >> 8) % keys.size()];
        else
            key = Slice(text, pick, 1 + (mode >> 4) % 8);
    } else {
        section = Slice(text, pick, 1 + (mode >> 4) % 8);
        key = Slice(text, pick >> 4, 1 + (mode >> 2) % 8);
    }
    std::string value = Slice(text, pick >> 3, (mode & 0x80) ? text.size() : (mode >> 3) % 16);
    if ((mode & 0xC0) == 0xC0)
        while (!value.empty() && value.size() <= TIniFile::kMaxValueLength)
            value += value;

    // Listed names, not a default value, tell whether the key is there: the fuzzer finds any
    // sentinel value and writes it into the file.
    const auto listed = ini.ReadSection(section);
    const bool keyExisted = std::any_of(listed.begin(), listed.end(), [&key](const std::string& name) {
        return EqualNoCase(name, Trim(key));
    });
    const bool sectionExisted = ini.SectionExists(section);

    g_write = "section " + Escaped(section) + ", key " + Escaped(key) + ", value " + Escaped(value) +
              "\nfile " + Escaped(text);

    const Result<void> writeResult = ini.WriteString(section, key, value);
    const bool written = writeResult.has_value();
    const std::string error = written ? std::string() : writeResult.error().message;
    g_write += "\nafter " + Escaped(ReadBytes(path));
    const std::string after = ReadBytes(path);
    Require(FolderNames() == std::vector<std::string>{"t.ini"}, "a temporary file was left behind");
    if (!written) {
        Require(after == raw, "a refused write changed the file");
        Require(error.find(path) != std::string::npos, "the error does not name the file");
        return 0;
    }

    std::string expected = value;
    std::replace(expected.begin(), expected.end(), '\r', ' ');
    std::replace(expected.begin(), expected.end(), '\n', ' ');
    // Values are text: read back decoded by the program's text rule and cut by characters.
    expected = std::string(CutToCharacters(DecodeText(expected), TIniFile::kMaxValueLength));
    static const std::string kAbsent = "\x01"
                                       "absent\x02";
    Require(ini.ReadString(section, key, kAbsent) == expected, "the object does not hold the written value");
    const TIniFile reread(path);
    Require(reread.ReadString(section, key, kAbsent) == expected, "the written value does not read back");
    CheckReads(reread, HeaderNames(after));

    const auto oldLines = Lines(text);
    const auto newLines = Lines(after);
    std::size_t prefix = 0;
    while (prefix < oldLines.size() && prefix < newLines.size() && oldLines[prefix] == newLines[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < oldLines.size() - prefix && suffix < newLines.size() - prefix &&
           oldLines[oldLines.size() - 1 - suffix] == newLines[newLines.size() - 1 - suffix])
        ++suffix;
    const std::size_t oldChanged = oldLines.size() - prefix - suffix;
    const std::size_t newChanged = newLines.size() - prefix - suffix;
    if (keyExisted) {
        Require(oldChanged == newChanged && newChanged <= 1, "replacing a value changed other lines");
    } else if (sectionExisted) {
        Require(oldChanged == 0 && newChanged == 1, "adding a key changed other lines");
    } else {
        // A file holding only a byte order mark shares its one line with the new header.
        const std::size_t merged = text == "\xEF\xBB\xBF" ? 1 : 0;
        Require(oldChanged == merged && newChanged == 2, "adding a section changed other lines");
    }
    return 0;
}
