#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform/Result.h"
#include "core/session/Message.h"

namespace kb {

// What the program remembers for its user beyond the three settings: the recently used
// orders and the size of the Check Saved Orders window. Both live in the per-user settings
// file, each in a section of its own. A file or value that cannot be read gives the defaults
// without a message: the settings file has its own warning at start-up.

// Creates the folders of a per-user file that are missing, private to the user as the base
// directory rules ask of new folders.
Result<void> PrepareSettingsFolder(const std::string& file);

// The File menu's recently used orders: the customer files last opened or saved, newest
// first, each once. Every change reads the file again first, so that two running copies
// add to one list rather than overwrite each other's.
class RecentOrders {
  public:
    static constexpr std::size_t kMaxCount = 8;

    // settingsFile empty: the list is kept for this run only.
    explicit RecentOrders(std::string settingsFile = {});

    const std::vector<std::string>& files() const { return m_files; }
    // Reads the list from the file again.
    void Reload();
    // Puts the path first; an earlier entry of the same path goes, the ninth drops off.
    // A path that could not be read back from the file (not UTF-8, or too long for a value)
    // is not remembered.
    Result<void> Add(const std::string& path);
    Result<void> Remove(const std::string& path);
    // Choosing an entry: a file that is gone comes off the list, and the message says so;
    // none means the file is there to be opened.
    std::optional<Message> Choose(const std::string& path);

  private:
    Result<void> Store();

    std::string m_settingsFile;
    std::vector<std::string> m_files;
};

// The menu caption of an entry: "&N " and the file's name, with "&" doubled in the name.
std::string RecentOrderCaption(std::size_t position, const std::string& path);

// A window's remembered size and column widths; 0 where nothing usable is stored.
struct WindowLayout {
    int width = 0;
    int height = 0;
    std::vector<int> columnWidths;

    bool operator==(const WindowLayout&) const = default;
};

// Reads the layout of section; always columnCount column widths.
WindowLayout ReadWindowLayout(const std::string& settingsFile, std::string_view section,
                              std::size_t columnCount);
Result<void> WriteWindowLayout(const std::string& settingsFile, std::string_view section,
                               const WindowLayout& layout);

} // namespace kb
