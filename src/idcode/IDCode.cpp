#include "idcode/IDCode.h"

#include <cstdint>

#include "catalogue/PartTable.h"
#include "platform/TextCodec.h"

namespace {

constexpr const char* kEncodeFailure = "Cannot make the ID code: ";

// Places are counted from 1 over the code, dashes included.
std::size_t SlotPlace(int n) {
    return n <= 5 ? 12 + static_cast<std::size_t>(n) : 13 + static_cast<std::size_t>(n);
}

class Encoder {
  public:
    Encoder(const Selections& selections, const PartTable& parts)
        : m_selections(selections), m_parts(parts) {}

    // Writes the ID-code character of the group's selected part at the place.
    bool PutGroup(std::size_t place, Group group) {
        const char* name = Info(group).controlName;
        const OptionList& list = m_selections[group];
        if (!list.HasSelection())
            return Fail(std::string("the group ") + name + " has no selection.");
        const Part* part = m_parts.ByDescription(list.Text());
        if (!part)
            return Fail("the entry \"" + list.Text() + "\" of the group " + name +
                        " names no part in the catalogue.");
        return PutPart(place, *part);
    }

    bool PutExtensionCard(std::size_t place) {
        const Part* card = m_selections.ExtensionPart(m_parts);
        if (!card)
            return Fail("the extension card \"" + m_selections.pciCaption +
                        "\" names no part in the catalogue.");
        return PutPart(place, *card);
    }

    void Put(std::size_t place, char c) { m_code[place - 1] = c; }

    const std::string& code() const { return m_code; }
    const std::string& error() const { return m_error; }

  private:
    bool PutPart(std::size_t place, const Part& part) {
        if (part.index.empty())
            return Fail("the part \"" + part.description + "\" (order number " + part.orderNumber +
                        ") has no Index character in the catalogue.");
        Put(place, part.index.front());
        return true;
    }

    bool Fail(const std::string& reason) {
        m_error = kEncodeFailure + reason;
        return false;
    }

    const Selections& m_selections;
    const PartTable& m_parts;
    std::string m_code = kIDCodeStart;
    std::string m_error;
};

bool EncodeAll(Encoder& encoder, const Selections& selections) {
    if (!encoder.PutGroup(1, Group::Housing) || !encoder.PutGroup(2, Group::Power) ||
        !encoder.PutGroup(3, Group::Processor) || !encoder.PutGroup(4, Group::RAM) ||
        !encoder.PutGroup(7, Group::OS))
        return false;

    const OptionList& language = selections[Group::OSLanguage];
    const int languageNumber = language.HasSelection() ? language.index + 1 : 0;
    // One place holds the language: from the tenth language on only the first digit fits.
    encoder.Put(8, std::to_string(languageNumber).front());

    if (selections.pciChecked && !encoder.PutExtensionCard(9))
        return false;
    if (!encoder.PutGroup(10, Group::HMI))
        return false;

    for (int n = 1; n <= 10; ++n) {
        if (!selections.SlotHasOwnModule(n))
            continue;
        if (!encoder.PutGroup(SlotPlace(n), Slot(n)))
            return false;
    }

    if (selections.azoVisible)
        return encoder.PutGroup(25, Group::Display) && encoder.PutGroup(26, Group::HMICable);
    return true;
}

// Character code minus that of "1", wrapped to a signed byte: "1" is the first entry,
// "0" falls below it. A character beyond ASCII counts as DEL, past every entry like a letter.
int ListPosition(char32_t c) {
    const auto byte = static_cast<unsigned char>(c < 0x80 ? c : 0x7F);
    return static_cast<std::int8_t>(static_cast<unsigned char>(byte - '1'));
}

// Selects the first entry whose part has exactly this one-character Index; without one
// the selection stays as it is.
void SelectByMatch(Group group, char32_t c, const PartTable& parts, SelectionSink& sink) {
    std::string wanted;
    AppendUtf8(wanted, c);
    const auto& items = sink.CurrentSelections()[group].items;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Part* part = parts.ByDescription(items[i]);
        if (part && part->index == wanted) {
            sink.SetListIndex(group, static_cast<int>(i));
            return;
        }
    }
}

} // namespace

EncodedCode EncodeIDCode(const Selections& selections, const PartTable& parts) {
    Encoder encoder(selections, parts);
    EncodedCode result;
    if (!EncodeAll(encoder, selections)) {
        result.error = encoder.error();
        return result;
    }
    result.ok = true;
    result.code = encoder.code();
    return result;
}

std::string DecodeIDCode(const std::string& prefixedCode, const PartTable& parts, SelectionSink& sink) {
    if (prefixedCode.empty())
        return {};
    // Places count characters, so a character beyond ASCII takes one place like any other.
    const std::u32string characters = ToCodePoints(prefixedCode);
    if (characters.size() < kIDCodeDecodedLength)
        return "The ID code \"" + prefixedCode + "\" is too short: it needs " +
               std::to_string(kIDCodeDecodedLength) + " characters (\"" + kIDCodePrefix +
               "\" and the code up to the cable length), but has " + std::to_string(characters.size()) +
               ". Nothing was changed.";

    // Characters of the prefixed code, counted from 1.
    auto at = [&characters](std::size_t n) { return characters[n - 1]; };
    constexpr std::size_t kPrefixLength = 5;

    sink.SetRadioIndex(Group::Housing, ListPosition(at(6)));
    sink.SetListIndex(Group::Power, ListPosition(at(7)));
    sink.SetRadioIndex(Group::Processor, ListPosition(at(8)));
    sink.SetRadioIndex(Group::RAM, ListPosition(at(9)));
    sink.SetRadioIndex(Group::OS, ListPosition(at(12)));
    sink.SetListIndex(Group::OSLanguage, ListPosition(at(13)));

    if (at(14) == '0')
        sink.SetPCIChecked(false);
    else if (at(14) == '1')
        sink.SetPCIChecked(true);

    SelectByMatch(Group::HMI, at(15), parts, sink);

    for (int n = 1; n <= 10; ++n)
        sink.SetListIndex(Slot(n), 0);
    for (int n = 1; n <= 10; ++n) {
        const char32_t c = at(kPrefixLength + SlotPlace(n));
        if (c != '0')
            SelectByMatch(Slot(n), c, parts, sink);
    }

    SelectByMatch(Group::Display, at(30), parts, sink);
    SelectByMatch(Group::HMICable, at(31), parts, sink);
    return {};
}

std::string CapitalizeCode(std::string_view code) {
    std::string capitals(code);
    for (char& c : capitals) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return capitals;
}
