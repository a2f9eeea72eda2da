#include "core/config/Choice.h"

namespace kb {

namespace {
const std::string kNoText;
}

bool Configuration::HasSelection(Group g) const {
    const int index = m_choice[g];
    return index >= 0 && index < m_catalogue.Count(g);
}

const std::string& Configuration::Text(Group g) const {
    if (HasSelection(g))
        return m_catalogue.Items(g)[static_cast<std::size_t>(m_choice[g])];
    return g == Group::OSLanguage ? m_choice.typedLanguage : kNoText;
}

bool Configuration::SlotEmpty(int n) const {
    return !HasSelection(Slot(n)) || m_choice[Slot(n)] == 0;
}

bool Configuration::ShowsProfibus(Group slot) const {
    return HasSelection(slot) && Text(slot) == kProfibusText;
}

bool Configuration::SlotHasOwnModule(int n) const {
    return !SlotEmpty(n) && !(n == 4 && ShowsProfibus(Group::X4));
}

bool Configuration::Complete() const {
    for (const auto& info : AllGroups())
        if (info.mandatory && !HasSelection(info.group))
            return false;
    return true;
}

const Part* Configuration::SelectedPart(Group g) const {
    if (!HasSelection(g))
        return nullptr;
    return m_catalogue.parts.ByDescription(Text(g));
}

const Part* Configuration::ExtensionPart() const {
    return m_catalogue.parts.ByDescription(m_catalogue.extensionCaption);
}

Result<const Part*> Configuration::RequiredPart(Group g) const {
    const char* name = Info(g).controlName;
    if (!HasSelection(g))
        return Error{std::string("the group ") + name + " has no selection."};
    if (const Part* part = SelectedPart(g))
        return part;
    return Error{"the entry \"" + Text(g) + "\" of the group " + name + " names no part in the catalogue."};
}

Result<const Part*> Configuration::RequiredExtensionPart() const {
    if (const Part* card = ExtensionPart())
        return card;
    return Error{"the extension card \"" + m_catalogue.extensionCaption +
                 "\" names no part in the catalogue."};
}

std::vector<std::string> Configuration::SelectionList() const {
    auto orderNumber = [&](Group g) {
        const Part* part = SelectedPart(g);
        return part ? part->orderNumber : std::string();
    };
    std::vector<std::string> list;
    list.reserve(19);
    list.push_back(orderNumber(Group::Housing));
    list.push_back(orderNumber(Group::Power));
    list.push_back(orderNumber(Group::Processor));
    list.push_back(orderNumber(Group::RAM));
    list.push_back(orderNumber(Group::OS));
    if (m_choice.pciChecked) {
        const Part* card = ExtensionPart();
        list.push_back(card ? card->orderNumber : std::string());
    } else {
        list.push_back("0");
    }
    list.push_back(orderNumber(Group::HMI));
    for (int n = 1; n <= 10; ++n)
        list.push_back(SlotEmpty(n) ? std::string("0") : orderNumber(Slot(n)));
    list.push_back(orderNumber(Group::Display));
    list.push_back(orderNumber(Group::HMICable));
    return list;
}

} // namespace kb
