#include "core/idcode/IDCode.h"

#include <algorithm>
#include <cstdint>

#include "core/config/ConfigurationCheck.h"
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

// A positional place: the entry at the character's position; one outside the entries fits none.
DecodedPlace Positional(Group group, char32_t c, const CatalogueSnapshot& catalogue) {
    const int index = ListPosition(c);
    return {Control::Of(group), index, true, index >= -1 && index < catalogue.Count(group), c};
}

// The first entry whose part has exactly this one-character Index; without one the
// selection stays as it is.
DecodedPlace ByMatch(Group group, char32_t c, const CatalogueSnapshot& catalogue) {
    std::string wanted;
    AppendUtf8(wanted, c);
    const auto& items = catalogue.Items(group);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const Part* part = catalogue.parts.ByDescription(items[i]);
        if (part && part->index == wanted)
            return {Control::Of(group), static_cast<int>(i), true, true, c};
    }
    return {Control::Of(group), -1, false, false, c};
}

// White space as a pasted text may hold it, no-break and wide spaces included.
bool IsBlank(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

constexpr std::array<std::size_t, 5> kPlaceLengths{5, 5, 5, 5, 3};

} // namespace

Result<std::string> EncodeIDCode(const Choice& choice, const CatalogueSnapshot& catalogue) {
    const Configuration config(choice, catalogue);
    Encoder encoder(config);
    if (!EncodeAll(encoder, config))
        return Error{encoder.error()};
    return encoder.code();
}

Result<DecodedCode> DecodeIDCode(const std::string& prefixedCode, const CatalogueSnapshot& catalogue) {
    DecodedCode decoded;
    if (prefixedCode.empty())
        return decoded;
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
    auto& places = decoded.places;

    places.push_back(Positional(Group::Housing, at(6), catalogue));
    places.push_back(Positional(Group::Power, at(7), catalogue));
    places.push_back(Positional(Group::Processor, at(8), catalogue));
    places.push_back(Positional(Group::RAM, at(9), catalogue));
    places.push_back(Positional(Group::OS, at(12), catalogue));
    places.push_back(Positional(Group::OSLanguage, at(13), catalogue));

    const char32_t card = at(14);
    const bool cardFits = card == '0' || card == '1';
    places.push_back({Control::Card(), card == '1' ? 1 : 0, cardFits, cardFits, card});

    places.push_back(ByMatch(Group::HMI, at(15), catalogue));

    for (int n = 1; n <= 10; ++n)
        places.push_back({Control::Of(Slot(n)), 0, true, true, '0'});
    for (int n = 1; n <= 10; ++n) {
        const char32_t c = at(kPrefixLength + SlotPlace(n));
        if (c != '0')
            places.push_back(ByMatch(Slot(n), c, catalogue));
    }

    places.push_back(ByMatch(Group::Display, at(30), catalogue));
    places.push_back(ByMatch(Group::HMICable, at(31), catalogue));
    return decoded;
}

Choice ApplyDecodedCode(Choice choice, const DecodedCode& code, const CatalogueSnapshot& catalogue) {
    for (const DecodedPlace& place : code.places) {
        if (!place.selects)
            continue;
        Reaction reaction =
            React(std::move(choice), place.control, place.index, ChangeBy::Program, catalogue);
        choice = reaction.runsCheck ? CompleteProfibus(std::move(reaction.choice), catalogue)
                                    : std::move(reaction.choice);
    }
    return WithAzoVisibility(std::move(choice));
}

std::vector<std::string> UnmatchedControls(const DecodedCode& code) {
    std::vector<std::string> names;
    for (const DecodedPlace& place : code.places) {
        if (place.fits || place.character == '0')
            continue;
        const std::string name = place.control.card ? "PCI" : Info(place.control.group).controlName;
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

std::optional<std::array<std::string, 5>> SplitTypedCode(std::string_view typed) {
    std::u32string code = ToCodePoints(typed);
    while (!code.empty() && IsBlank(code.front()))
        code.erase(code.begin());
    while (!code.empty() && IsBlank(code.back()))
        code.pop_back();
    const auto capital = [](char32_t c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
    if (code.size() >= 4 && capital(code[0]) == 'V' && capital(code[1]) == 'K' && code[2] == '7' &&
        code[3] == '2')
        code.erase(0, 4);
    std::erase_if(code, [](char32_t c) { return c == '-' || IsBlank(c); });

    std::size_t total = 0;
    for (std::size_t length : kPlaceLengths)
        total += length;
    if (code.size() != total)
        return std::nullopt;
    std::array<std::string, 5> parts;
    std::size_t start = 0;
    for (std::size_t n = 0; n < parts.size(); ++n) {
        for (std::size_t i = 0; i < kPlaceLengths[n]; ++i)
            AppendUtf8(parts[n], code[start + i]);
        start += kPlaceLengths[n];
    }
    return parts;
}

Result<std::string> NormalizeTypedCode(const std::string& typed) {
    const auto parts = SplitTypedCode(typed);
    if (!parts)
        return Error{
            "\"" + typed +
            "\" is not an ID code: it needs 23 characters in five places (5, 5, 5, 5 and 3), with or "
            "without \"" +
            kIDCodePrefix + "\" and dashes."};
    std::string code = "VK72";
    for (const std::string& part : *parts)
        code += "-" + CapitalizeCode(part);
    return code;
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
