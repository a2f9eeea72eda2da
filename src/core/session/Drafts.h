#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/Choice.h"
#include "core/customer/CustomerRecord.h"
#include "core/platform/Result.h"

namespace kb {

class Configurator;
struct CatalogueSnapshot;

// Drafts: an order that differs from what was last opened or saved is kept on disk while
// the program runs, so that a crash, a kill or a power cut loses at most the last second.
// A draft is a customer file (section Data, readable by anything that reads orders) with a
// section Draft of its own holding what the code cannot: the whole choice, the current
// customer file, the time and the process that keeps it.

// The process that keeps a draft: its id, its start (clock ticks after boot, from
// /proc/PID/stat) and the boot it ran in, so that an id that another program or a later
// boot has taken is not mistaken for the owner.
struct DraftOwner {
    long pid = 0;
    std::uint64_t startTime = 0;
    // Empty when unknown (the owner of a draft known by its file name only).
    std::string boot;

    bool operator==(const DraftOwner&) const = default;
};

DraftOwner CurrentProcess();
// Whether the owner is a process that runs now.
bool IsRunning(const DraftOwner& owner);

// $XDG_STATE_HOME/vk72-configurator/drafts, or HOME/.local/state/... when the variable is
// unset or not absolute; empty when neither gives an absolute folder.
std::string DraftsFolder(const char* xdgStateHome, const char* home);
std::string DraftsFolder();

struct Draft {
    // Code: the code of the configuration, empty when it has none (an incomplete one).
    CustomerRecord customer;
    Choice choice;
    std::string customerFile;
    // CatalogueStamp of the catalogue the choice's positions refer to.
    std::string catalogueStamp;
    // Local time of the write, "YYYY-MM-DD HH:MM:SS".
    std::string time;
    DraftOwner owner;
};

// A stamp of the entries of every control: equal stamps mean that the positions of a
// choice name the same entries.
std::string CatalogueStamp(const CatalogueSnapshot& catalogue);

// "draft-PID-START.CST": one file per process, so instances never write each other's.
std::string DraftFileName(const DraftOwner& owner);
Result<std::string> ComposeDraft(const Draft& draft);
// A file that is not a draft (no section Draft, no owner) is an error naming it.
Result<Draft> ReadDraft(const std::string& path);
// Whole or not at all, readable by the user alone; makes the folder (0700) when missing.
Result<void> WriteDraftFile(const std::string& path, std::string_view content);
// A draft already gone is no error.
Result<void> RemoveDraftFile(const std::string& path);

// A draft left by a process that no longer runs.
struct KeptDraft {
    std::string path;
    // None when the file cannot be read as a draft; problem then says why.
    std::optional<Draft> draft;
    std::string problem;
};
// The drafts of the folder (files named *.CST) whose owner does not run, sorted by name.
std::vector<KeptDraft> FindKeptDrafts(const std::string& folder,
                                      const std::function<bool(const DraftOwner&)>& running = IsRunning);

// Removes what writes cut short by a kill left in the folder (the safe write's temporary
// files) once they are older than any write in progress can be.
void RemoveStaleTemporaries(const std::string& folder);

// What Restore applies: on the catalogue the draft was kept with, its whole choice; on a
// changed one, its code as File Open applies it, from the start-up state.
struct DraftRestore {
    CustomerRecord customer;
    std::string customerFile;
    Choice choice;
};
DraftRestore PrepareRestore(const Draft& draft, const Configurator& configurator);

// The line that offers a kept draft, with the recheck's verdict when the catalogue has changed.
std::string DraftOfferText(const KeptDraft& kept, const Configurator& configurator);

// Keeps this process's draft in step with the order. It decides what is to be written or
// removed and when; the caller runs the timer and the file work.
class DraftKeeper {
  public:
    static constexpr int kDelayMilliseconds = 1000;

    struct Job {
        enum class Kind { Write, Remove } kind;
        std::string path;
        std::string content;
    };
    enum class Step { None, Schedule, RemoveNow };

    // An empty folder keeps no drafts.
    DraftKeeper(std::string folder, DraftOwner self);

    bool enabled() const { return !m_path.empty(); }
    const std::string& folder() const { return m_folder; }
    const std::string& path() const { return m_path; }

    // After any change of the state: nothing, a write within the delay, or the removal of the
    // draft now (the order is back to what was opened or saved). Costs no file work.
    Step Changed(const Configurator& configurator);
    // When the delay has passed: the draft of the order as it is now, its removal, or nothing
    // when the file already holds it.
    std::optional<Job> Due(const Configurator& configurator, const std::string& time);
    // The user's Exit: the draft goes.
    std::optional<Job> Discard();
    // A write failed: the next change writes the draft again even if it holds the same.
    void WriteFailed() { m_kept.reset(); }

  private:
    struct Kept {
        std::array<std::string, CustomerRecord::kFieldCount> texts;
        Choice choice;
        std::string customerFile;
        bool operator==(const Kept&) const = default;
    };

    std::string m_folder;
    std::string m_path;
    DraftOwner m_self;
    std::string m_stamp;
    // What the last write job held; none when no draft is on disk or due to be.
    std::optional<Kept> m_kept;
    // A write was asked for since the last removal: a draft may be on disk.
    bool m_mayExist = false;
};

// Writes or removes as the job says.
Result<void> RunDraftJob(const DraftKeeper::Job& job);

// Local time now, as drafts record it.
std::string DraftTimeNow();

} // namespace kb
