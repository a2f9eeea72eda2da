#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/platform/Result.h"

namespace kb {

class LockedFile;

// The folder of the journals that keep in-place saves safe: the program's state folder
// (paths::StateFolder); empty when there is none.
std::string JournalFolder();

// Completes every interrupted in-place save whose journal the folder holds, each under its
// file's lock; the program runs it at start, before it reads any file. One message a file,
// naming it. A journal that is damaged, or whose file has changed since, is kept aside under
// another name and not applied; the message says where it is.
std::vector<std::string> CompleteInterruptedSaves();

// Before a reader reads the file: completes its interrupted in-place save when a journal is
// left for it; cheap when there is none. The message waits in TakeJournalMessages.
void CompleteInterruptedSaveOf(const std::string& path);

// What became of interrupted saves found when their files were touched, since the last call.
std::vector<std::string> TakeJournalMessages();

// The journal of one in-place save: the file's old and new content, written and flushed before
// the file is touched, removed once the rewritten file is flushed.
class SaveJournal {
  public:
    // Refused (nothing written) when the folder cannot hold the journal; the error is the reason
    // alone, for the caller to put after the file's name.
    static Result<SaveJournal> Begin(const LockedFile& file, const std::string& path, std::string_view old,
                                     std::string_view content);
    // The file holds what it should again: the journal goes.
    void Finish();

  private:
    explicit SaveJournal(std::string path) : m_path(std::move(path)) {}
    std::string m_path;
};

// Under the file's lock, before a save reads it: completes a journal an interrupted save left
// for it (its message waits in TakeJournalMessages). An error when a journal is there that
// cannot be applied: saving on from a torn file would keep its damage.
Result<void> CompletePendingSave(LockedFile& file);

// Whether the content is what rewriting old into next in place leaves at some moment: every
// byte one of either at its position, the length between theirs.
bool IsInterruptedRewrite(std::string_view content, std::string_view old, std::string_view next);

} // namespace kb
