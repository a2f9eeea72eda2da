#pragma once

#include <optional>
#include <string>

#include "core/platform/Result.h"
#include "core/session/Message.h"

namespace kb {

struct StoredSettings;

// The per-user settings file: $XDG_CONFIG_HOME/vk72-configurator/settings.ini, or
// HOME/.config/... when the variable is unset, empty or not absolute. Empty when neither
// gives an absolute folder.
std::string UserSettingsPath(const char* xdgConfigHome, const char* home);
// The same from this process's environment; without HOME, the account's home folder.
std::string UserSettingsPath();

// Where the settings menu's three values (ShowPrices, UseStdConfig, OSStdLanguage) live.
// A copy of the program's folder that this user can write keeps them in its catalogue, as
// it always did. An installed catalogue belongs to the package, and a catalogue the user
// cannot write to nobody: then they go to a per-user file whose values win over the
// catalogue's, for every user, root included, so a switch still works, a package check
// finds the files as shipped and a new catalogue still reaches everyone for the rest.
class SettingsStore {
  public:
    SettingsStore() = default;
    // An empty userFile means there is none: every value stays in the catalogue.
    SettingsStore(std::string cataloguePath, std::string userFile);
    // With the choice made by the caller; perUser needs a userFile.
    SettingsStore(std::string cataloguePath, std::string userFile, bool perUser);

    // Whether this process can replace the catalogue (the file and its folder writable).
    static bool CanReplace(const std::string& path);
    // Whether the catalogue is an installed copy's: in the package's program folder
    // (PREFIX/lib/vk72-configurator) or anywhere under /usr or /opt, links resolved.
    static bool InstalledCopy(const std::string& cataloguePath);

    bool perUser() const { return m_perUser; }
    // The file the settings are written to.
    const std::string& target() const { return m_perUser ? m_userFile : m_cataloguePath; }

    // Puts the per-user values over the catalogue's. A per-user file that cannot be read,
    // or a value in it that is not a number, leaves the catalogue's value; the warning
    // names the file.
    std::optional<Message> Overlay(StoredSettings& settings, bool pricesPresent) const;

    // A value as stored: the per-user file's when it holds one, else the catalogue's.
    bool ReadBool(const char* key, bool def) const;

    // On failure the error names the file; nothing is changed then.
    Result<void> WriteBool(const char* key, bool value);
    Result<void> WriteInteger(const char* key, int value);

  private:
    std::string m_cataloguePath;
    std::string m_userFile;
    bool m_perUser = false;
};

} // namespace kb
