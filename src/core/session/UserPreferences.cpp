#include "core/session/UserPreferences.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "core/platform/Numbers.h"
#include "core/platform/Paths.h"
#include "core/platform/TIniFile.h"
#include "core/platform/TextCodec.h"

namespace kb {

namespace fs = std::filesystem;

namespace {

constexpr const char* kRecentSection = "RecentOrders";
constexpr int kMaxWindowSide = 30000;
constexpr int kMaxColumnWidth = 5000;

std::string RecentKey(std::size_t n) {
    return "File" + std::to_string(n + 1);
}

// The profile file keeps values as UTF-8 text on one line and cuts them at 2047 characters;
// a path it would change must not come back as another file.
bool Storable(const std::string& path) {
    return !path.empty() && IsValidUtf8(path) && CharacterCount(path) <= TIniFile::kMaxValueLength &&
           path.find_first_of("\r\n") == std::string::npos;
}

// A whole number within [1, max]; 0 for anything else.
int Dimension(std::string_view text, int max) {
    const std::optional<int> value = numbers::ParseInteger(text);
    if (!value || *value < 1 || *value > max)
        return 0;
    return *value;
}

} // namespace

Result<void> PrepareSettingsFolder(const std::string& file) {
    const fs::path folder = fs::path(file).parent_path();
    std::error_code ec;
    if (folder.empty() || fs::is_directory(folder, ec))
        return {};
    fs::path made;
    for (const auto& part : folder) {
        made /= part;
        if (fs::is_directory(made, ec))
            continue;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST)
            return Error{"Cannot create the folder \"" + made.string() + "\" for the settings file \"" +
                         file + "\": " + std::strerror(errno)};
    }
    return {};
}

RecentOrders::RecentOrders(std::string settingsFile) : m_settingsFile(std::move(settingsFile)) {
    Reload();
}

void RecentOrders::Reload() {
    if (m_settingsFile.empty())
        return;
    m_files.clear();
    const TIniFile ini(m_settingsFile);
    for (std::size_t n = 0; n < kMaxCount; ++n) {
        std::string path = ini.ReadString(kRecentSection, RecentKey(n), "");
        if (!path.empty() && std::find(m_files.begin(), m_files.end(), path) == m_files.end())
            m_files.push_back(std::move(path));
    }
}

Result<void> RecentOrders::Add(const std::string& path) {
    if (!Storable(path))
        return {};
    Reload();
    m_files.erase(std::remove(m_files.begin(), m_files.end(), path), m_files.end());
    m_files.insert(m_files.begin(), path);
    if (m_files.size() > kMaxCount)
        m_files.resize(kMaxCount);
    return Store();
}

Result<void> RecentOrders::Remove(const std::string& path) {
    Reload();
    const auto end = std::remove(m_files.begin(), m_files.end(), path);
    if (end == m_files.end())
        return {};
    m_files.erase(end, m_files.end());
    return Store();
}

std::optional<Message> RecentOrders::Choose(const std::string& path) {
    if (paths::Exists(path))
        return std::nullopt;
    // Taken off even when the list cannot be stored: this run shows it no more.
    (void)Remove(path);
    return Message::Information("The order \"" + path +
                                "\" no longer exists. It was taken off the list of recently used orders.");
}

Result<void> RecentOrders::Store() {
    if (m_settingsFile.empty())
        return {};
    if (Result<void> folder = PrepareSettingsFolder(m_settingsFile); !folder)
        return folder;
    std::vector<std::pair<std::string, std::string>> values;
    for (std::size_t n = 0; n < kMaxCount; ++n)
        values.emplace_back(RecentKey(n), n < m_files.size() ? m_files[n] : std::string());
    TIniFile ini(m_settingsFile);
    return ini.WriteStrings(kRecentSection, values);
}

std::string RecentOrderCaption(std::size_t position, const std::string& path) {
    std::string caption = "&" + std::to_string(position + 1) + " ";
    for (char c : paths::FileName(path)) {
        if (c == '&')
            caption += '&';
        caption += c;
    }
    return caption;
}

WindowLayout ReadWindowLayout(const std::string& settingsFile, std::string_view section,
                              std::size_t columnCount) {
    WindowLayout layout;
    layout.columnWidths.assign(columnCount, 0);
    if (settingsFile.empty())
        return layout;
    const TIniFile ini(settingsFile);
    layout.width = Dimension(ini.ReadString(section, "Width", ""), kMaxWindowSide);
    layout.height = Dimension(ini.ReadString(section, "Height", ""), kMaxWindowSide);
    const std::string columns = ini.ReadString(section, "Columns", "");
    std::size_t start = 0;
    for (std::size_t c = 0; c < columnCount && start <= columns.size(); ++c) {
        const std::size_t comma = std::min(columns.find(',', start), columns.size());
        layout.columnWidths[c] =
            Dimension(std::string_view(columns).substr(start, comma - start), kMaxColumnWidth);
        start = comma + 1;
    }
    return layout;
}

Result<void> WriteWindowLayout(const std::string& settingsFile, std::string_view section,
                               const WindowLayout& layout) {
    if (settingsFile.empty())
        return {};
    if (Result<void> folder = PrepareSettingsFolder(settingsFile); !folder)
        return folder;
    std::string columns;
    for (std::size_t c = 0; c < layout.columnWidths.size(); ++c)
        columns += (c > 0 ? "," : "") + std::to_string(layout.columnWidths[c]);
    TIniFile ini(settingsFile);
    return ini.WriteStrings(section, {{"Width", std::to_string(layout.width)},
                                      {"Height", std::to_string(layout.height)},
                                      {"Columns", columns}});
}

} // namespace kb
