#pragma once

#include <string>
#include <string_view>

#include "core/config/Choice.h"
#include "core/platform/Result.h"

namespace kb {

inline constexpr const char* kIDCodePrefix = "VK72-";
inline constexpr const char* kIDCodeStart = "0000x-0000x-00000-00000-00x";
inline constexpr std::size_t kIDCodeLength = 27;
// Decoding reads the prefixed code up to its 31st character (the cable length).
inline constexpr std::size_t kIDCodeDecodedLength = 31;
inline constexpr const char* kCodeMismatchText =
    "The ID-Code you entered does not describe a correct configuration of VK72! \nPlease check your input.";

// The 27-character code of the configuration. Fails (with a message naming the group or the
// part) when a group that must give a character has no selection, names no part, or its
// part has an empty Index.
Result<std::string> EncodeIDCode(const Choice& choice, const CatalogueSnapshot& catalogue);

// How decoding changes the choice: radio groups and the check box react as if clicked,
// lists are set without any reaction. The main window's state owner implements it.
class SelectionSink {
  public:
    virtual ~SelectionSink() = default;
    virtual void SetRadioIndex(Group group, int index) = 0;
    virtual void SetListIndex(Group group, int index) = 0;
    virtual void SetPCIChecked(bool checked) = 0;
    // A character that selects nothing, so the control keeps its selection: it fits no entry
    // of the control, or is neither "0" nor "1" for the card's check box ("PCI").
    virtual void NoEntry(const char* control, char c) {
        (void)control;
        (void)c;
    }
};

// Sets the choice from a prefixed code. Fails with a message naming the code when it is too
// short to decode (then nothing is changed). An empty code changes nothing and is no error.
Result<void> DecodeIDCode(const std::string& prefixedCode, const CatalogueSnapshot& catalogue,
                          SelectionSink& sink);

// A code typed by the user, in the form the code boxes and the command line take it: letters
// made capitals, the prefix added to a bare 27-character code.
std::string NormalizeTypedCode(const std::string& typed);

// Whether a typed code stands for the configuration it was applied to: the code that the
// configuration gives now must equal the typed one, letters compared as capitals. The message
// is the one the user sees when it does not.
Result<void> CheckRoundTrip(const std::string& typed, const Result<std::string>& producedPrefixedCode);

// The code as the ID-code dialog and the companion take it: letters in capitals. Codes are
// ASCII, so only ASCII letters change; any other character stays and fits no entry.
std::string CapitalizeCode(std::string_view code);

} // namespace kb
