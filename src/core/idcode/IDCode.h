#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/Choice.h"
#include "core/config/Reaction.h"
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

// What one place of a code selects, in the order the code is applied. Positional places (radio
// groups, Power, the language) give the entry at their position; the others the first entry
// whose part has the place's character as its Index.
struct DecodedPlace {
    Control control;
    int index = -1;
    // False where the character selects nothing, so the control keeps its selection.
    bool selects = true;
    // False where the character fits no entry of the control: a character no Index has, a
    // position past the entries (a radio group then selects its last entry), neither "0" nor
    // "1" for the card's check box.
    bool fits = true;
    char32_t character = 0;
};

struct DecodedCode {
    std::vector<DecodedPlace> places;
};

// What a prefixed code selects, place by place; changes nothing. Fails with a message naming
// the code when it is too short to decode. An empty code selects nothing and is no error.
Result<DecodedCode> DecodeIDCode(const std::string& prefixedCode, const CatalogueSnapshot& catalogue);

// The choice a decoded code leaves when it is applied as the controls take it: each place as a
// change by the program, through React, with the check's Profibus completion wherever a
// handler runs the check; then the ZEV-Azo's visibility for the HMI entry it left. Pure, for
// callers that need no verdict on the way (the main window's state runs each check instead).
Choice ApplyDecodedCode(Choice choice, const DecodedCode& code, const CatalogueSnapshot& catalogue);

// The controls whose place fit no entry, named as the controls are ("PCI" for the card), each
// once. "0" stands for nothing in every place (the code of an empty order is all zeros), so a
// place of "0" is never counted.
std::vector<std::string> UnmatchedControls(const DecodedCode& code);

// The five places of a code as a user types or pastes it: surrounding blanks, a leading "VK72"
// in any case, dashes and blanks are left out; what remains must be exactly 23 characters
// (5, 5, 5, 5 and 3). None when it is not.
std::optional<std::array<std::string, 5>> SplitTypedCode(std::string_view typed);

// A typed code in the form the code boxes give it: the five places in capitals, prefixed and
// joined by dashes. Fails, naming the text, when SplitTypedCode does not take it.
Result<std::string> NormalizeTypedCode(const std::string& typed);

// Whether a typed code stands for the configuration it was applied to: the code that the
// configuration gives now must equal the typed one, letters compared as capitals. The message
// is the one the user sees when it does not.
Result<void> CheckRoundTrip(const std::string& typed, const Result<std::string>& producedPrefixedCode);

// The code as the ID-code dialog and the companion take it: letters in capitals. Codes are
// ASCII, so only ASCII letters change; any other character stays and fits no entry.
std::string CapitalizeCode(std::string_view code);

} // namespace kb
