#include "core/catalogue/CatalogueDiff.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "core/catalogue/Groups.h"
#include "core/catalogue/PartTable.h"
#include "core/platform/Numbers.h"
#include "core/platform/Paths.h"
#include "core/platform/TIniFile.h"
#include "core/platform/Text.h"

namespace kb {

namespace {

// The settings each user changes from the menu; a release does not deliver them.
constexpr const char* kUserSettings[] = {"UseStdConfig", "ShowPrices", "OSStdLanguage"};

Result<TIniFile> Open(const std::string& path) {
    if (!paths::Exists(path))
        return Error{"Cannot read \"" + path + "\": no such file"};
    TIniFile ini(path);
    if (!ini.Readable())
        return Error{ini.ReadError()};
    return ini;
}

// Collects where each value of one section stands, so that a repeat is told once with all
// its places.
class Repeats {
  public:
    void Add(const std::string& value, const std::string& key) { m_places[value].push_back(key); }
    void Report(const std::string& file, const std::string& section, const char* placeWord,
                std::vector<std::string>& out) const {
        for (const auto& [value, places] : m_places) {
            if (places.size() < 2)
                continue;
            std::string where;
            for (std::size_t i = 0; i < places.size(); ++i)
                where += (i == 0 ? "" : i + 1 == places.size() ? " and " : ", ") + places[i];
            out.push_back(file + ": [" + section + "] lists " + value + " at " + placeWord + " " + where +
                          "; the first counts");
        }
    }

  private:
    std::map<std::string, std::vector<std::string>> m_places;
};

std::vector<std::string> ReadList(const TIniFile& ini, const std::string& section, std::size_t maxKeys,
                                  std::vector<std::string>& repeats) {
    std::vector<std::string> values;
    Repeats places;
    for (std::size_t k = 0; k < maxKeys; ++k) {
        std::string value = ini.ReadString(section, std::to_string(k), "");
        if (value.empty())
            break;
        places.Add(value, std::to_string(k));
        values.push_back(std::move(value));
    }
    places.Report(ini.FileName(), section, "keys", repeats);
    return values;
}

CatalogueContent::Pairs Settings(const TIniFile& ini, bool withoutUserSettings) {
    CatalogueContent::Pairs pairs = ini.ReadSectionValues("General");
    if (withoutUserSettings)
        std::erase_if(pairs, [](const auto& pair) {
            return std::any_of(std::begin(kUserSettings), std::end(kUserSettings),
                               [&](const char* name) { return text::EqualNoCase(pair.first, name); });
        });
    return pairs;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

// First value of each key, the key matched without regard to case as the reader does.
std::map<std::string, std::pair<std::string, std::string>> ByKey(const CatalogueContent::Pairs& pairs) {
    std::map<std::string, std::pair<std::string, std::string>> map;
    for (const auto& [key, value] : pairs)
        map.emplace(Lower(key), std::make_pair(key, value));
    return map;
}

// The limit the check applies: the first character when it is a digit, else none.
std::string LimitDigit(const std::string& value) {
    return !value.empty() && value[0] >= '0' && value[0] <= '9' ? value.substr(0, 1) : std::string();
}

std::string PartName(const CatalogueContent& before, const CatalogueContent& after,
                     const std::string& orderNumber) {
    if (const auto* part = after.Part(orderNumber))
        return part->description;
    if (const auto* part = before.Part(orderNumber))
        return part->description;
    return {};
}

std::string Percent(double from, double to, char separator) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%+.1f", (to - from) / std::fabs(from) * 100.0);
    std::string text = buffer;
    if (text == "-0.0")
        text = "+0.0";
    std::replace(text.begin(), text.end(), '.', separator);
    return text + " %";
}

class Differ {
  public:
    Differ(const CatalogueContent& before, const CatalogueContent& after) : m_old(before), m_new(after) {}

    std::vector<Change> Run() {
        Parts();
        Lists();
        Limits("Max_PCOM", m_old.maxPcom, m_new.maxPcom);
        Limits("Max_SCOM", m_old.maxScom, m_new.maxScom);
        Exclusions();
        Languages();
        Settings("General", m_old.settings, m_new.settings);
        if (Priced())
            Settings("Prices", m_old.priceSettings, m_new.priceSettings);
        std::stable_sort(m_changes.begin(), m_changes.end(), [](const Change& a, const Change& b) {
            if (a.kind != b.kind)
                return a.kind < b.kind;
            return NaturalLess(a.subject, b.subject);
        });
        return std::move(m_changes);
    }

  private:
    bool Priced() const { return !m_old.pricePath.empty() && !m_new.pricePath.empty(); }

    void Add(ChangeKind kind, std::string subject, std::string oldValue, std::string newValue,
             std::string part = {}) {
        m_changes.push_back(
            {kind, std::move(subject), std::move(oldValue), std::move(newValue), std::move(part), {}});
    }

    void Parts() {
        for (const auto& part : m_new.parts)
            if (!m_old.Part(part.orderNumber))
                Add(ChangeKind::PartAdded, part.orderNumber, "", part.description, part.description);
        for (const auto& was : m_old.parts) {
            const auto* now = m_new.Part(was.orderNumber);
            if (!now) {
                Add(ChangeKind::PartRemoved, was.orderNumber, was.description, "", was.description);
                continue;
            }
            const std::string& name = now->description;
            if (was.description != now->description)
                Add(ChangeKind::Description, was.orderNumber, was.description, now->description, name);
            if (was.type != now->type)
                Add(ChangeKind::Type, was.orderNumber, was.type, now->type, name);
            if (was.index != now->index)
                Add(ChangeKind::Index, was.orderNumber, was.index, now->index, name);
            if (Priced())
                Price(was, *now);
        }
    }

    // Equal amounts written differently (a new decimal separator) are no change of price.
    void Price(const CatalogueContent::PartEntry& was, const CatalogueContent::PartEntry& now) {
        const auto from = numbers::ParseDecimal(was.price, m_old.decimalSeparator);
        const auto to = numbers::ParseDecimal(now.price, m_new.decimalSeparator);
        if (from && to ? *from == *to : was.price == now.price)
            return;
        Add(ChangeKind::Price, was.orderNumber, was.price, now.price, now.description);
        if (from && to && *from != 0)
            m_changes.back().percent = Percent(*from, *to, m_new.decimalSeparator);
    }

    void Lists() {
        std::map<std::string, std::pair<const std::vector<std::string>*, const std::vector<std::string>*>>
            lists;
        for (const auto& [section, entries] : m_old.lists)
            lists[section].first = &entries;
        for (const auto& [section, entries] : m_new.lists)
            lists[section].second = &entries;
        static const std::vector<std::string> kNone;
        for (const auto& [section, pair] : lists) {
            const auto& was = pair.first ? *pair.first : kNone;
            const auto& now = pair.second ? *pair.second : kNone;
            const auto at = [](const std::vector<std::string>& list, const std::string& orderNumber) {
                return static_cast<int>(std::find(list.begin(), list.end(), orderNumber) - list.begin());
            };
            for (std::size_t k = 0; k < now.size(); ++k) {
                if (at(now, now[k]) != static_cast<int>(k))
                    continue; // a repeat: the first counts
                const int old = at(was, now[k]);
                const std::string subject = section + ":" + now[k];
                if (old == static_cast<int>(was.size()))
                    Add(ChangeKind::EntryAdded, subject, "", std::to_string(k),
                        PartName(m_old, m_new, now[k]));
                else if (old != static_cast<int>(k))
                    Add(ChangeKind::EntryMoved, subject, std::to_string(old), std::to_string(k),
                        PartName(m_old, m_new, now[k]));
            }
            for (std::size_t k = 0; k < was.size(); ++k)
                if (at(was, was[k]) == static_cast<int>(k) && at(now, was[k]) == static_cast<int>(now.size()))
                    Add(ChangeKind::EntryRemoved, section + ":" + was[k], std::to_string(k), "",
                        PartName(m_old, m_new, was[k]));
        }
    }

    void Limits(const char* section, const CatalogueContent::Pairs& was, const CatalogueContent::Pairs& now) {
        const auto before = ByKey(was);
        const auto after = ByKey(now);
        std::map<std::string, std::pair<std::string, std::string>> digits; // by order number
        for (const auto& [lower, entry] : before)
            digits[entry.first].first = LimitDigit(entry.second);
        for (const auto& [lower, entry] : after) {
            // The spelling of the old file names the part when both spell it.
            const auto old = before.find(lower);
            digits[old != before.end() ? old->second.first : entry.first].second = LimitDigit(entry.second);
        }
        for (const auto& [orderNumber, pair] : digits)
            if (pair.first != pair.second)
                Add(ChangeKind::Limit, std::string(section) + ":" + orderNumber, pair.first, pair.second,
                    PartName(m_old, m_new, orderNumber));
    }

    // A pair excludes the same whichever way round it is written; the first spelling is shown.
    static std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>>
    Pairs(const CatalogueContent::Pairs& list) {
        std::map<std::pair<std::string, std::string>, std::pair<std::string, std::string>> pairs;
        for (const auto& [a, b] : list)
            pairs.emplace(std::minmax(a, b), std::make_pair(a, b));
        return pairs;
    }

    void Exclusions() {
        const auto was = Pairs(m_old.excludeList);
        const auto now = Pairs(m_new.excludeList);
        const auto names = [this](const std::pair<std::string, std::string>& pair) {
            const std::string a = PartName(m_old, m_new, pair.first);
            const std::string b = PartName(m_old, m_new, pair.second);
            return (a.empty() ? pair.first : a) + " = " + (b.empty() ? pair.second : b);
        };
        for (const auto& [key, written] : now)
            if (!was.count(key))
                Add(ChangeKind::ExclusionAdded, written.first + "=" + written.second, "", names(written));
        for (const auto& [key, written] : was)
            if (!now.count(key))
                Add(ChangeKind::ExclusionRemoved, written.first + "=" + written.second, names(written), "");
    }

    void Languages() {
        const std::size_t count = std::max(m_old.languages.size(), m_new.languages.size());
        for (std::size_t k = 0; k < count; ++k) {
            const std::string was = k < m_old.languages.size() ? m_old.languages[k] : std::string();
            const std::string now = k < m_new.languages.size() ? m_new.languages[k] : std::string();
            if (was != now)
                Add(ChangeKind::Language, std::to_string(k), was, now);
        }
    }

    void Settings(const char* prefix, const CatalogueContent::Pairs& was,
                  const CatalogueContent::Pairs& now) {
        const auto before = ByKey(was);
        const auto after = ByKey(now);
        for (const auto& [lower, entry] : after) {
            const auto old = before.find(lower);
            const std::string oldValue = old != before.end() ? old->second.second : std::string();
            if (old == before.end() || oldValue != entry.second)
                Add(ChangeKind::Setting, std::string(prefix) + ":" + entry.first, oldValue, entry.second);
        }
        for (const auto& [lower, entry] : before)
            if (!after.count(lower))
                Add(ChangeKind::Setting, std::string(prefix) + ":" + entry.first, entry.second, "");
    }

    const CatalogueContent& m_old;
    const CatalogueContent& m_new;
    std::vector<Change> m_changes;
};

} // namespace

const CatalogueContent::PartEntry* CatalogueContent::Part(const std::string& orderNumber) const {
    const auto it = std::find_if(parts.begin(), parts.end(),
                                 [&](const PartEntry& part) { return part.orderNumber == orderNumber; });
    return it == parts.end() ? nullptr : &*it;
}

Result<CatalogueContent> ReadCatalogueContent(const std::string& cataloguePath,
                                              const std::string& pricePath) {
    Result<TIniFile> opened = Open(cataloguePath);
    if (!opened)
        return opened.error();
    const TIniFile& ini = *opened;
    std::optional<TIniFile> prices;
    if (!pricePath.empty()) {
        Result<TIniFile> openedPrices = Open(pricePath);
        if (!openedPrices)
            return openedPrices.error();
        prices = std::move(*openedPrices);
    }

    CatalogueContent content;
    content.cataloguePath = cataloguePath;
    content.pricePath = pricePath;
    if (prices) {
        const std::string separator = prices->ReadString("General", "DecimalSeparator", ",");
        content.decimalSeparator = separator.empty() ? ',' : separator[0];
        content.priceSettings = Settings(*prices, false);
        content.currency = prices->ReadString("General", "Currency", "EUR");
    }

    Repeats slots;
    for (int n = 0; n < PartTable::kSlots; ++n) {
        CatalogueContent::PartEntry part;
        part.orderNumber = ini.ReadString("OrderNumbers", std::to_string(n), "");
        if (part.orderNumber.empty())
            continue;
        slots.Add(part.orderNumber, std::to_string(n));
        if (content.Part(part.orderNumber))
            continue;
        part.slot = n;
        part.type = ini.ReadString("Types", part.orderNumber, "");
        part.description = ini.ReadString("Descriptions", part.orderNumber, "");
        part.index = ini.ReadString("Index", part.orderNumber, "");
        if (prices) {
            part.price = prices->ReadString("Prices", part.orderNumber, "");
            if (!numbers::ParseDecimal(part.price, content.decimalSeparator))
                content.badPrices.emplace_back(part.orderNumber, part.price);
        }
        content.parts.push_back(std::move(part));
    }
    slots.Report(cataloguePath, "OrderNumbers", "slots", content.repeats);

    for (const GroupInfo& info : AllGroups())
        if (info.group != Group::OSLanguage)
            content.lists.emplace_back(info.section, ReadList(ini, info.section, SIZE_MAX, content.repeats));
    // Only key 0 of Extension is read.
    content.lists.emplace_back("Extension", ReadList(ini, "Extension", 1, content.repeats));
    content.languages = ReadList(ini, "OSLanguages", SIZE_MAX, content.repeats);
    content.maxPcom = ini.ReadSectionValues("Max_PCOM");
    content.maxScom = ini.ReadSectionValues("Max_SCOM");
    content.excludeList = ini.ReadSectionValues("Exclude_List");
    content.settings = Settings(ini, true);
    return content;
}

const char* ChangeKindName(ChangeKind kind) {
    static constexpr const char* kNames[kChangeKindCount] = {
        "part-added",      "part-removed",      "description",   "type",        "index",
        "price",           "entry-added",       "entry-removed", "entry-moved", "limit",
        "exclusion-added", "exclusion-removed", "language",      "setting"};
    return kNames[static_cast<int>(kind)];
}

ChangeMark MarkOf(const Change& change) {
    switch (change.kind) {
    case ChangeKind::PartRemoved:
    case ChangeKind::EntryRemoved:
        return ChangeMark::Removed;
    case ChangeKind::ExclusionAdded:
        return ChangeMark::Tightened;
    case ChangeKind::Limit:
        // A new limit, or a lower one; "" (no limit) sorts below every digit.
        return !change.newValue.empty() && (change.oldValue.empty() || change.newValue < change.oldValue)
                   ? ChangeMark::Tightened
                   : ChangeMark::None;
    case ChangeKind::Index:
        return ChangeMark::CodesChange;
    case ChangeKind::Language:
        // The code carries the language's position.
        return change.oldValue.empty() ? ChangeMark::None : ChangeMark::CodesChange;
    default:
        return ChangeMark::None;
    }
}

std::vector<Change> DiffCatalogues(const CatalogueContent& before, const CatalogueContent& after) {
    return Differ(before, after).Run();
}

std::string ChangeLine(const Change& change) {
    const std::string newValue =
        change.percent.empty() ? change.newValue : change.newValue + " (" + change.percent + ")";
    const std::string* fields[] = {nullptr, &change.subject, &change.oldValue, &newValue};
    std::string line = ChangeKindName(change.kind);
    for (std::size_t i = 1; i < 4; ++i) {
        line += '\t';
        // A tab or line break inside a catalogue value must not shift the columns.
        for (char c : *fields[i])
            line += c == '\t' || c == '\n' || c == '\r' ? ' ' : c;
    }
    return line;
}

std::string ChangeCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " change" : " changes");
}

bool NaturalLess(const std::string& a, const std::string& b) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei]))
                ++ei;
            while (ej < b.size() && digit(b[ej]))
                ++ej;
            // Leading zeros do not make a number larger.
            std::size_t si = i, sj = j;
            while (si + 1 < ei && a[si] == '0')
                ++si;
            while (sj + 1 < ej && b[sj] == '0')
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj;
            const int order = a.compare(si, ei - si, b, sj, ej - sj);
            if (order != 0)
                return order < 0;
            i = ei;
            j = ej;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return j < b.size();
    return a < b;
}

} // namespace kb
