#include "core/catalogue/Groups.h"

namespace kb {

namespace {

constexpr std::array<GroupInfo, kGroupCount> kGroups{{
    {Group::Housing, "Housing", "Housing", ControlKind::RadioGroup, true},
    {Group::Processor, "Processor", "CPU", ControlKind::RadioGroup, true},
    {Group::RAM, "RAM", "RAM", ControlKind::RadioGroup, true},
    {Group::OS, "OS", "OperatingSystem", ControlKind::RadioGroup, true},
    {Group::OSLanguage, "OSLanguage", "OSLanguages", ControlKind::EditableList, false},
    {Group::HMI, "HMI", "HMI", ControlKind::List, true},
    {Group::Power, "Power", "Power", ControlKind::List, true},
    {Group::X1, "X1", "X1", ControlKind::SlotList, false},
    {Group::X2, "X2", "X2", ControlKind::SlotList, false},
    {Group::X3, "X3", "X3", ControlKind::SlotList, false},
    {Group::X4, "X4", "X4", ControlKind::SlotList, false},
    {Group::X5, "X5", "X5", ControlKind::SlotList, false},
    {Group::X6, "X6", "X6", ControlKind::SlotList, false},
    {Group::X7, "X7", "X7", ControlKind::SlotList, false},
    {Group::X8, "X8", "X8", ControlKind::SlotList, false},
    {Group::X9, "X9", "X9", ControlKind::SlotList, false},
    {Group::X10, "X10", "X10", ControlKind::SlotList, false},
    {Group::Display, "Display", "Display", ControlKind::List, true},
    {Group::HMICable, "HMICable", "HMICable", ControlKind::List, true},
}};

} // namespace

const GroupInfo& Info(Group group) {
    return kGroups[static_cast<std::size_t>(group)];
}

const std::array<GroupInfo, kGroupCount>& AllGroups() {
    return kGroups;
}

Group Slot(int n) {
    return static_cast<Group>(static_cast<int>(Group::X1) + n - 1);
}

bool IsSlot(Group group) {
    return group >= Group::X1 && group <= Group::X10;
}

int SlotNumber(Group group) {
    return static_cast<int>(group) - static_cast<int>(Group::X1) + 1;
}

bool GroupByControlName(std::string_view name, Group& group) {
    for (const auto& info : kGroups) {
        if (name == info.controlName) {
            group = info.group;
            return true;
        }
    }
    return false;
}

} // namespace kb
