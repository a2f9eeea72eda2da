#pragma once

#include <string>
#include <string_view>

#include "config/Selections.h"

class PartTable;

inline constexpr const char* kIDCodePrefix = "VK72-";
inline constexpr const char* kIDCodeStart = "0000x-0000x-00000-00000-00x";
inline constexpr std::size_t kIDCodeLength = 27;
// Decoding reads the prefixed code up to its 31st character (the cable length).
inline constexpr std::size_t kIDCodeDecodedLength = 31;

struct EncodedCode {
    bool ok = false;
    std::string code;  // the 27 characters, when ok
    std::string error; // names the group or part that kept the code from being made
};

// The 27-character code of the selections. Fails (with a message naming the group or the
// part) when a group that must give a character has no selection, names no part, or its
// part has an empty Index.
EncodedCode EncodeIDCode(const Selections& selections, const PartTable& parts);

// How decoding changes the selections: radio groups and the check box react as if
// clicked, lists are set without any reaction. The main window's state owner implements it.
class SelectionSink {
  public:
    virtual ~SelectionSink() = default;
    virtual const Selections& CurrentSelections() const = 0;
    virtual void SetRadioIndex(Group group, int index) = 0;
    virtual void SetListIndex(Group group, int index) = 0;
    virtual void SetPCIChecked(bool checked) = 0;
};

// Sets the selections from a prefixed code. Returns an empty text on success, or a message
// naming the code when it is too short to decode (then nothing is changed). An empty code
// changes nothing and is no error.
std::string DecodeIDCode(const std::string& prefixedCode, const PartTable& parts, SelectionSink& sink);

// The code as the ID-code dialog and the companion take it: letters in capitals. Codes are
// ASCII, so only ASCII letters change; any other character stays and fits no entry.
std::string CapitalizeCode(std::string_view code);
