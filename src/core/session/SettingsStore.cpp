#include "core/session/SettingsStore.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <pwd.h>
#include <unistd.h>
#include <vector>

#include "core/catalogue/Catalogue.h"
#include "core/platform/Numbers.h"
#include "core/platform/TIniFile.h"
#include "core/session/UserPreferences.h"

namespace kb {

namespace fs = std::filesystem;

namespace {

constexpr const char* kGeneral = "General";
constexpr const char* kSettingKeys[] = {"ShowPrices", "UseStdConfig", "OSStdLanguage"};

bool Absolute(const char* path) {
    return path != nullptr && path[0] == '/';
}

} // namespace

// A write replaces the file through a temporary file in its folder, so both must be writable.
bool SettingsStore::CanReplace(const std::string& path) {
    const fs::path p(path);
    const std::string folder = p.has_parent_path() ? p.parent_path().string() : std::string(".");
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 &&
           ::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
}

std::string UserSettingsPath(const char* xdgConfigHome, const char* home) {
    std::string base;
    if (Absolute(xdgConfigHome))
        base = xdgConfigHome;
    else if (Absolute(home))
        base = std::string(home) + (std::string(home).ends_with('/') ? "" : "/") + ".config";
    else
        return {};
    if (!base.ends_with('/'))
        base += '/';
    return base + "vk72-configurator/settings.ini";
}

std::string UserSettingsPath() {
    const char* home = std::getenv("HOME");
    // Started without HOME (env -i, a service): the account's own home folder, so that an
    // installed copy still has a per-user file and never falls back to its catalogue.
    std::string accountHome;
    if (!Absolute(home)) {
        std::vector<char> buffer(16384);
        passwd entry{};
        passwd* found = nullptr;
        if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
            found != nullptr && Absolute(found->pw_dir)) {
            accountHome = found->pw_dir;
            home = accountHome.c_str();
        }
    }
    return UserSettingsPath(std::getenv("XDG_CONFIG_HOME"), home);
}

// The package puts the catalogue into PREFIX/lib/vk72-configurator (also below another root:
// a chroot, an image being built); /usr and /opt hold nothing a user's own copy would.
bool SettingsStore::InstalledCopy(const std::string& cataloguePath) {
    std::error_code ec;
    fs::path real = fs::weakly_canonical(fs::absolute(cataloguePath, ec), ec);
    if (ec)
        real = fs::path(cataloguePath).lexically_normal();
    const std::string folder = real.parent_path().string();
    return folder.starts_with("/usr/") || folder.starts_with("/opt/") ||
           folder.ends_with("/lib/vk72-configurator");
}

SettingsStore::SettingsStore(std::string cataloguePath, std::string userFile)
    : m_cataloguePath(std::move(cataloguePath)), m_userFile(std::move(userFile)) {
    m_perUser = !m_userFile.empty() && (InstalledCopy(m_cataloguePath) || !CanReplace(m_cataloguePath));
}

SettingsStore::SettingsStore(std::string cataloguePath, std::string userFile, bool perUser)
    : m_cataloguePath(std::move(cataloguePath)), m_userFile(std::move(userFile)),
      m_perUser(perUser && !m_userFile.empty()) {}

std::optional<Message> SettingsStore::Overlay(StoredSettings& settings, bool pricesPresent) const {
    if (!m_perUser)
        return std::nullopt;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(m_userFile, ec)))
        return std::nullopt;
    const TIniFile user(m_userFile);
    std::string problem;
    if (fs::is_directory(m_userFile, ec))
        problem = "it is a folder";
    else if (!user.Readable())
        problem = user.ReadError();
    if (!problem.empty())
        return Message::Warning("The settings file \"" + m_userFile + "\" cannot be read (" + problem +
                                "); the catalogue's settings are used.");

    std::string bad;
    for (const char* key : kSettingKeys) {
        const std::string text = user.ReadString(kGeneral, key, "");
        if (text.empty())
            continue;
        const std::optional<int> parsed = numbers::ParseInteger(text);
        if (!parsed) {
            bad += std::string(bad.empty() ? "" : ", ") + key + "=" + text;
            continue;
        }
        const int value = *parsed;
        if (std::strcmp(key, "ShowPrices") == 0)
            settings.showPrices = pricesPresent && value != 0;
        else if (std::strcmp(key, "UseStdConfig") == 0)
            settings.useStdConfig = value != 0;
        else
            settings.osStdLanguage = value;
    }
    if (bad.empty())
        return std::nullopt;
    return Message::Warning("The settings file \"" + m_userFile + "\" holds values that are not numbers (" +
                            bad + "); the catalogue's settings are used for them.");
}

bool SettingsStore::ReadBool(const char* key, bool def) const {
    if (m_perUser) {
        const TIniFile user(m_userFile);
        if (user.Readable()) {
            if (const std::optional<int> value = numbers::ParseInteger(user.ReadString(kGeneral, key, "")))
                return *value != 0;
        }
    }
    return TIniFile(m_cataloguePath).ReadBool(kGeneral, key, def);
}

Result<void> SettingsStore::WriteBool(const char* key, bool value) {
    return WriteInteger(key, value ? 1 : 0);
}

Result<void> SettingsStore::WriteInteger(const char* key, int value) {
    if (m_perUser) {
        if (Result<void> folder = PrepareSettingsFolder(m_userFile); !folder)
            return folder;
    }
    TIniFile file(target());
    return file.WriteInteger(kGeneral, key, value);
}

} // namespace kb
