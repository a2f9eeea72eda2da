#include "config/Selections.h"

#include "catalogue/PartTable.h"

bool Selections::SlotFilled(int n) const {
    return (*this)[Slot(n)].index != 0;
}

bool Selections::SlotHasOwnModule(int n) const {
    return SlotFilled(n) && !(n == 4 && (*this)[Group::X4].Text() == kProfibusText);
}

bool Selections::Complete() const {
    for (const auto& info : AllGroups())
        if (info.mandatory && (*this)[info.group].index < 0)
            return false;
    return true;
}

const Part* Selections::SelectedPart(Group g, const PartTable& parts) const {
    const auto& list = (*this)[g];
    if (!list.HasSelection())
        return nullptr;
    return parts.ByDescription(list.Text());
}

const Part* Selections::ExtensionPart(const PartTable& parts) const {
    return parts.ByDescription(pciCaption);
}

std::vector<std::string> Selections::SelectionList(const PartTable& parts) const {
    auto orderNumber = [&](Group g) {
        const Part* part = SelectedPart(g, parts);
        return part ? part->orderNumber : std::string();
    };
    std::vector<std::string> list;
    list.reserve(19);
    list.push_back(orderNumber(Group::Housing));
    list.push_back(orderNumber(Group::Power));
    list.push_back(orderNumber(Group::Processor));
    list.push_back(orderNumber(Group::RAM));
    list.push_back(orderNumber(Group::OS));
    if (pciChecked) {
        const Part* card = ExtensionPart(parts);
        list.push_back(card ? card->orderNumber : std::string());
    } else {
        list.push_back("0");
    }
    list.push_back(orderNumber(Group::HMI));
    for (int n = 1; n <= 10; ++n)
        list.push_back(SlotFilled(n) ? orderNumber(Slot(n)) : std::string("0"));
    list.push_back(orderNumber(Group::Display));
    list.push_back(orderNumber(Group::HMICable));
    return list;
}
