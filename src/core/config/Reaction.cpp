#include "core/config/Reaction.h"

#include <algorithm>

namespace kb {

namespace {

int ClampRadioIndex(int index, int count) {
    if (index < -1)
        return -1;
    return index >= count ? count - 1 : index;
}

int ClampListIndex(int index, int count) {
    return index < -1 || index >= count ? -1 : index;
}

} // namespace

Reaction React(Choice choice, Control control, int index, ChangeBy by, const CatalogueSnapshot& catalogue) {
    if (control.card) {
        const bool checked = index != 0;
        if (by == ChangeBy::Program && checked == choice.pciChecked)
            return {std::move(choice), false};
        choice.pciChecked = checked;
        return {std::move(choice), true};
    }

    const Group group = control.group;
    const int count = catalogue.Count(group);
    if (by == ChangeBy::Program && Info(group).kind == ControlKind::RadioGroup) {
        const int clamped = ClampRadioIndex(index, count);
        if (clamped == choice[group])
            return {std::move(choice), false};
        choice[group] = clamped;
    } else {
        choice[group] = ClampListIndex(index, count);
        if (group == Group::OSLanguage)
            choice.typedLanguage.clear();
        if (by == ChangeBy::Program)
            return {std::move(choice), false};
    }

    if (group == Group::OSLanguage)
        return {std::move(choice), false};
    if (group == Group::HMI)
        choice = WithAzoVisibility(std::move(choice));
    return {std::move(choice), true};
}

Choice TypeLanguage(Choice choice, const std::string& text, const CatalogueSnapshot& catalogue) {
    const auto& items = catalogue.Items(Group::OSLanguage);
    const auto match = std::find(items.begin(), items.end(), text);
    if (match != items.end()) {
        choice[Group::OSLanguage] = static_cast<int>(match - items.begin());
        choice.typedLanguage.clear();
    } else {
        choice[Group::OSLanguage] = -1;
        choice.typedLanguage = text;
    }
    return choice;
}

Choice WithAzoVisibility(Choice choice) {
    choice.azoVisible = choice[Group::HMI] == 0;
    return choice;
}

} // namespace kb
