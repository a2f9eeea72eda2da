#include "core/idcode/IDCode.h"

#include <cstdint>

#include "core/platform/TextCodec.h"

namespace kb {

namespace {

constexpr const char* kEncodeFailure = "Cannot make the ID code: ";

// Places are counted from 1 over the code, dashes included.
std::size_t SlotPlace(int n) {
    return n <= 5 ? 12 + static_cast<std::size_t>(n) : 13 + static_cast<std::size_t>(n);
}

class Encoder {
  public:
    explicit Encoder(const Configuration& config) : m_config(config) {}

    // Writes the ID-code character of the group's selected part at the place.
    bool PutGroup(std::size_t place, Group group) { return PutPart(place, m_config.RequiredPart(group)); }
    bool PutExtensionCard(std::size_t place) { return PutPart(place, m_config.RequiredExtensionPart()); }

    void Put(std::size_t place, char c) { m_code[place - 1] = c; }

    const std::string& code() const { return m_code; }
    const std::string& error() const { return m_error; }

  private:
    bool PutPart(std::size_t place, const Result<const Part*>& found) {
        if (!found)
            return Fail(found.error().message);
        const Part& part = **found;
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

    const Configuration& m_config;
    std::string m_code = kIDCodeStart;
    std::string m_error;
};

bool EncodeAll(Encoder& encoder, const Configuration& config) {
    if (!encoder.PutGroup(1, Group::Housing) || !encoder.PutGroup(2, Group::Power) ||
        !encoder.PutGroup(3, Group::Processor) || !encoder.PutGroup(4, Group::RAM) ||
        !encoder.PutGroup(7, Group::OS))
        return false;

    const int languageNumber =
        config.HasSelection(Group::OSLanguage) ? config.choice()[Group::OSLanguage] + 1 : 0;
    // One place holds the language: from the tenth language on only the first digit fits.
    encoder.Put(8, std::to_string(languageNumber).front());

    if (config.choice().pciChecked && !encoder.PutExtensionCard(9))
        return false;
    if (!encoder.PutGroup(10, Group::HMI))
        return false;

    for (int n = 1; n <= 10; ++n) {
        if (!config.SlotHasOwnModule(n))
            continue;
        if (!encoder.PutGroup(SlotPlace(n), Slot(n)))
            return false;
    }

    if (config.choice().azoVisible)
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
void SelectByMatch(Group group, char32_t c, const CatalogueSnapshot& catalogue, SelectionSink& sink) {
    std::string wanted;
    AppendUtf8(wanted, c);
    const auto& items = catalogue.Items(group);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Part* part = catalogue.parts.ByDescription(items[i]);
        if (part && part->index == wanted) {
            sink.SetListIndex(group, static_cast<int>(i));
            return;
        }
    }
    sink.NoEntry(Info(group).controlName, c);
}

} // namespace

Result<std::string> EncodeIDCode(const Choice& choice, const CatalogueSnapshot& catalogue) {
    const Configuration config(choice, catalogue);
    Encoder encoder(config);
    if (!EncodeAll(encoder, config))
        return Error{encoder.error()};
    return encoder.code();
}

Result<void> DecodeIDCode(const std::string& prefixedCode, const CatalogueSnapshot& catalogue,
                          SelectionSink& sink) {
    if (prefixedCode.empty())
        return {};
    // Places count characters, so a character beyond ASCII takes one place like any other.
    const std::u32string characters = ToCodePoints(prefixedCode);
    if (characters.size() < kIDCodeDecodedLength)
        return Error{"The ID code \"" + prefixedCode + "\" is too short: it needs " +
                     std::to_string(kIDCodeDecodedLength) + " characters (\"" + kIDCodePrefix +
                     "\" and the code up to the cable length), but has " + std::to_string(characters.size()) +
                     ". The configuration was left as it was."};

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
    else
        sink.NoEntry("PCI", at(14));

    SelectByMatch(Group::HMI, at(15), catalogue, sink);

    for (int n = 1; n <= 10; ++n)
        sink.SetListIndex(Slot(n), 0);
    for (int n = 1; n <= 10; ++n) {
        const char32_t c = at(kPrefixLength + SlotPlace(n));
        if (c != '0')
            SelectByMatch(Slot(n), c, catalogue, sink);
    }

    SelectByMatch(Group::Display, at(30), catalogue, sink);
    SelectByMatch(Group::HMICable, at(31), catalogue, sink);
    return {};
}

std::string NormalizeTypedCode(const std::string& typed) {
    const std::string code = CapitalizeCode(typed);
    return CharacterCount(code) == kIDCodeLength ? kIDCodePrefix + code : code;
}

Result<void> CheckRoundTrip(const std::string& typed, const Result<std::string>& producedPrefixedCode) {
    if (!producedPrefixedCode)
        return producedPrefixedCode.error();
    if (CapitalizeCode(*producedPrefixedCode) != CapitalizeCode(typed))
        return Error{kCodeMismatchText};
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

} // namespace kb
