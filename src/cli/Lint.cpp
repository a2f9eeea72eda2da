#include "cli/Lint.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "core/platform/Numbers.h"
#include "core/platform/Paths.h"
#include "core/platform/TIniFile.h"
#include "core/platform/Text.h"
#include "core/session/Configurator.h"

using namespace kb;

namespace {

constexpr std::array<const char*, 6> kStandardLanguages{"german", "english", "french",
                                                        "dutch",  "italian", "spanish"};

bool IsListPositionGroup(Group g) {
    return g == Group::Housing || g == Group::Processor || g == Group::RAM || g == Group::OS ||
           g == Group::Power;
}

std::string Quote(const std::string& text) {
    return "\"" + text + "\"";
}

class Linter {
  public:
    Linter(const std::string& cataloguePath, const std::string& pricePath)
        : m_ini(cataloguePath), m_cataloguePath(cataloguePath), m_pricePath(pricePath) {}

    std::vector<LintFinding> Run() {
        CheckParts();
        for (const auto& info : AllGroups())
            if (info.group != Group::OSLanguage)
                CheckGroup(info);
        CheckLanguages();
        CheckExtension();
        CheckProfibus();
        CheckLimits("Max_PCOM");
        CheckLimits("Max_SCOM");
        CheckExclusions();
        CheckPrices();
        ProveIDCode();
        return std::move(m_findings);
    }

  private:
    void Error(const std::string& where, const std::string& text) {
        m_findings.push_back({LintFinding::Severity::Error, where, text});
    }
    void Warning(const std::string& where, const std::string& text) {
        m_findings.push_back({LintFinding::Severity::Warning, where, text});
    }
    bool Known(const std::string& orderNumber) const { return m_slotOf.count(orderNumber) != 0; }
    void RequireKnown(const std::string& where, const std::string& orderNumber) {
        if (!Known(orderNumber))
            Error(where, "order number " + Quote(orderNumber) + " is not in OrderNumbers");
    }

    void CheckParts() {
        for (const auto& key : m_ini.ReadSection("OrderNumbers")) {
            const std::optional<int> slot = numbers::ParseInteger(key);
            if (!slot || *slot < 0 || *slot >= PartTable::kSlots || std::to_string(*slot) != key)
                Warning("OrderNumbers/" + key, "key is never read: part slots are the numbers 0 to 149");
        }
        std::map<std::string, std::string> ownerOfDescription;
        for (int n = 0; n < PartTable::kSlots; ++n) {
            const std::string where = "OrderNumbers/" + std::to_string(n);
            const std::string orderNumber = m_ini.ReadString("OrderNumbers", std::to_string(n), "");
            if (orderNumber.empty())
                continue;
            if (Known(orderNumber)) {
                Error(where, "order number " + Quote(orderNumber) + " repeats slot " +
                                 std::to_string(m_slotOf[orderNumber]) + "; the lower slot wins");
                continue;
            }
            m_slotOf[orderNumber] = n;
            const std::string description = m_ini.ReadString("Descriptions", orderNumber, "");
            if (description.empty()) {
                Error("Descriptions/" + orderNumber, "part has no description");
            } else if (auto [it, fresh] = ownerOfDescription.emplace(description, orderNumber); !fresh) {
                Error("Descriptions/" + orderNumber, "description " + Quote(description) +
                                                         " also belongs to " + it->second +
                                                         "; a selection names the lower slot");
            }
            if (m_ini.ReadString("Index", orderNumber, "").empty())
                Error("Index/" + orderNumber, "part has no Index character");
        }
    }

    // Keys 0, 1, ... up to the first empty value, as the program reads a group.
    std::vector<std::string> ReadList(const char* section) {
        std::vector<std::string> values;
        for (int k = 0;; ++k) {
            std::string value = m_ini.ReadString(section, std::to_string(k), "");
            if (value.empty())
                break;
            values.push_back(std::move(value));
        }
        for (const auto& key : m_ini.ReadSection(section)) {
            const std::optional<int> k = numbers::ParseInteger(key);
            if (k && *k > static_cast<int>(values.size()))
                Warning(std::string(section) + "/" + key,
                        "never read: the list ends at the empty key " + std::to_string(values.size()));
        }
        return values;
    }

    void CheckGroup(const GroupInfo& info) {
        const std::string section = info.section;
        const auto values = ReadList(info.section);
        if (values.empty() && info.mandatory)
            Error(section + "/0", "the list is empty, so no configuration can be complete");
        std::map<std::string, std::string> characters;
        for (std::size_t k = 0; k < values.size(); ++k) {
            const std::string where = section + "/" + std::to_string(k);
            const std::string& orderNumber = values[k];
            if (!Known(orderNumber)) {
                RequireKnown(where, orderNumber);
                continue;
            }
            const std::string index = m_ini.ReadString("Index", orderNumber, "");
            if (index.empty())
                continue; // reported with the part
            if (IsListPositionGroup(info.group)) {
                const char expected = static_cast<char>('1' + k);
                if (index[0] != expected)
                    Error(where, "Index " + Quote(index) + " of " + orderNumber + " must begin with " +
                                     Quote(std::string(1, expected)) + ", its place in the list");
            } else {
                // A code is ASCII: a character beyond it would fit no entry when decoded.
                if (index.size() != 1 || static_cast<unsigned char>(index[0]) >= 0x80)
                    Error(where, "Index " + Quote(index) + " of " + orderNumber +
                                     " must be exactly one ASCII character");
                if (std::islower(static_cast<unsigned char>(index[0])))
                    Error(where,
                          "Index " + Quote(index) + " of " + orderNumber +
                              " is a lower-case letter, which the ID-code dialog cannot take (it types "
                              "capitals)");
                if (info.kind == ControlKind::SlotList && index == "0")
                    Error(where, "Index \"0\" of " + orderNumber + " stands for an empty slot");
                const std::string character = index.substr(0, 1);
                if (auto [it, fresh] = characters.emplace(character, orderNumber); !fresh)
                    Error(where, "Index " + Quote(character) + " of " + orderNumber + " repeats " +
                                     it->second + " in the same list");
            }
            if (info.group == Group::OS && !numbers::ParseWhole(orderNumber))
                Error(where,
                      "operating system order number " + Quote(orderNumber) + " is not a whole number");
        }
    }

    void CheckLanguages() {
        const auto languages = ReadList("OSLanguages");
        if (languages.size() > 9)
            Error("OSLanguages/9", "more than nine languages: the ID code holds one digit for the language");
        for (std::size_t i = 0; i < kStandardLanguages.size(); ++i) {
            const std::string where = "OSLanguages/" + std::to_string(i);
            if (i >= languages.size())
                Error(where,
                      std::string("missing: the list starts with german, english, french, dutch, italian, "
                                  "spanish; expected ") +
                          Quote(kStandardLanguages[i]));
            else if (!text::EqualNoCase(languages[i], kStandardLanguages[i]))
                Error(where, Quote(languages[i]) + " found where " + Quote(kStandardLanguages[i]) +
                                 " belongs (the language commands select by position)");
        }
    }

    void CheckExtension() {
        const std::string card = m_ini.ReadString("Extension", "0", "");
        if (card.empty()) {
            Warning("Extension/0", "no extension card: the check box has no caption");
            return;
        }
        RequireKnown("Extension/0", card);
        const std::string index = m_ini.ReadString("Index", card, "");
        if (Known(card) && !index.empty() && index[0] != '1')
            Error("Extension/0", "Index " + Quote(index) + " of the extension card must begin with \"1\"");
    }

    void CheckProfibus() {
        std::string profibus;
        for (const auto& [orderNumber, slot] : m_slotOf)
            if (m_ini.ReadString("Descriptions", orderNumber, "") == kProfibusText)
                profibus = orderNumber;
        if (profibus.empty())
            return;
        const std::pair<const char*, int> places[] = {{"X4", 2}, {"X9", 5}};
        for (const auto& [section, key] : places) {
            const std::string value = m_ini.ReadString(section, std::to_string(key), "");
            if (value != profibus)
                Error(std::string(section) + "/" + std::to_string(key),
                      "entry " + std::to_string(key + 1) + " of " + section +
                          " must be the Profibus module " + Quote(profibus) + ", found " + Quote(value));
        }
    }

    void CheckLimits(const char* section) {
        for (const auto& [key, value] : m_ini.ReadSectionValues(section)) {
            const std::string where = std::string(section) + "/" + key;
            RequireKnown(where, key);
            if (value.empty() || !std::isdigit(static_cast<unsigned char>(value[0])))
                Error(where, "limit " + Quote(value) + " does not begin with a digit, so it limits nothing");
            else if (value.size() > 1)
                Warning(where, "only the first digit of " + Quote(value) + " counts");
        }
    }

    void CheckExclusions() {
        for (const auto& [key, value] : m_ini.ReadSectionValues("Exclude_List")) {
            const std::string where = "Exclude_List/" + key;
            RequireKnown(where, key);
            RequireKnown(where, value);
        }
    }

    void CheckPrices() {
        if (m_pricePath.empty() || !paths::Exists(m_pricePath))
            return;
        const TIniFile prices(m_pricePath);
        if (!prices.Readable()) {
            Error("Prices", prices.ReadError());
            return;
        }
        const std::string separator = prices.ReadString("General", "DecimalSeparator", ",");
        const char sep = separator.empty() ? ',' : separator[0];
        for (const auto& [orderNumber, slot] : m_slotOf) {
            const std::string price = prices.ReadString("Prices", orderNumber, "");
            if (price.empty())
                Error("Prices/" + orderNumber, "part has no price");
            else if (!numbers::ParseDecimal(price, sep))
                Error("Prices/" + orderNumber, "price " + Quote(price) +
                                                   " is not a number with the separator " +
                                                   Quote(std::string(1, sep)));
        }
    }

    void ProveIDCode() {
        Configurator base;
        if (base.LoadCatalogue(m_cataloguePath, "").result != LoadResult::Loaded)
            return;
        base.StartUp(false);
        for (Group g : {Group::Housing, Group::Processor, Group::RAM, Group::OS})
            if (base.choice()[g] < 0)
                base.ChangeControl(Control::Of(g), 0, ChangeBy::Program);
        for (Group g : {Group::HMI, Group::Power, Group::Display, Group::HMICable})
            if (base.choice()[g] < 0)
                base.ChangeControl(Control::Of(g), 0, ChangeBy::Program);
        base.CheckConfiguration();

        for (const auto& info : AllGroups()) {
            const auto& items = base.snapshot()->Items(info.group);
            const int first = info.kind == ControlKind::SlotList ? 1 : 0;
            for (int i = first; i < static_cast<int>(items.size()); ++i) {
                const int key = info.kind == ControlKind::SlotList ? i - 1 : i;
                Configurator trial = base;
                if (info.kind == ControlKind::RadioGroup)
                    trial.ChangeControl(Control::Of(info.group), i, ChangeBy::Program);
                else
                    trial.UserSelect(info.group, i);
                Prove(base, trial, std::string(info.section) + "/" + std::to_string(key),
                      items[static_cast<std::size_t>(i)]);
            }
        }
        const std::string& card = base.snapshot()->extensionCaption;
        if (!card.empty()) {
            Configurator trial = base;
            trial.ChangeControl(Control::Card(), 1, ChangeBy::Program);
            Prove(base, trial, "Extension/0", card);
        }
    }

    void Prove(const Configurator& base, const Configurator& trial, const std::string& where,
               const std::string& option) {
        const Result<std::string> first = trial.CurrentIDCode();
        if (!first) {
            Error(where, "option " + Quote(option) + ": " + first.error().message);
            return;
        }
        const std::string code = kIDCodePrefix + *first;
        Configurator decoded = base;
        if (auto failure = decoded.ApplyIDCode(code)) {
            Error(where, "option " + Quote(option) + ": " + failure->text);
            return;
        }
        const Result<std::string> second = decoded.CurrentIDCode();
        if (!second || *second != *first) {
            Error(where, "option " + Quote(option) + " does not survive the ID code: " + code +
                             " reads back as " + (second ? kIDCodePrefix + *second : second.error().message));
            return;
        }
        const Configuration want = trial.configuration();
        const Configuration got = decoded.configuration();
        for (const auto& info : AllGroups()) {
            if (want.choice()[info.group] != got.choice()[info.group]) {
                Error(where, "option " + Quote(option) + " does not survive the ID code " + code + ": " +
                                 info.controlName + " reads back as " + Quote(got.Text(info.group)) +
                                 " instead of " + Quote(want.Text(info.group)));
                return;
            }
        }
        if (want.choice().pciChecked != got.choice().pciChecked)
            Error(where, "option " + Quote(option) + " does not survive the ID code " + code +
                             ": the extension card reads back " +
                             (got.choice().pciChecked ? "checked" : "unchecked"));
    }

    TIniFile m_ini;
    std::string m_cataloguePath;
    std::string m_pricePath;
    std::map<std::string, int> m_slotOf;
    std::vector<LintFinding> m_findings;
};

} // namespace

std::string LintFinding::Line() const {
    return std::string(severity == Severity::Error ? "error: " : "warning: ") + where + ": " + text;
}

std::vector<LintFinding> LintCatalogue(const std::string& cataloguePath, const std::string& pricePath) {
    return Linter(cataloguePath, pricePath).Run();
}
