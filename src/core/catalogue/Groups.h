#pragma once

#include <array>
#include <string_view>

namespace kb {

// The selection controls of the main window, in one fixed order.
enum class Group {
    Housing,
    Processor,
    RAM,
    OS,
    OSLanguage,
    HMI,
    Power,
    X1,
    X2,
    X3,
    X4,
    X5,
    X6,
    X7,
    X8,
    X9,
    X10,
    Display,
    HMICable,
};
inline constexpr int kGroupCount = 19;

enum class ControlKind { RadioGroup, EditableList, List, SlotList };

struct GroupInfo {
    Group group;
    const char* controlName; // object name of the control
    const char* section;     // catalogue section that fills it
    ControlKind kind;
    bool mandatory;
};

const GroupInfo& Info(Group group);
const std::array<GroupInfo, kGroupCount>& AllGroups();
// The group of slot Xn, n from 1 to 10.
Group Slot(int n);
bool IsSlot(Group group);
// Slot number 1 to 10 of a slot group.
int SlotNumber(Group group);
// The control of that name ("Housing", "X3", ...), or false.
bool GroupByControlName(std::string_view name, Group& group);

inline constexpr const char* kEmptySlotText = "---------------";
inline constexpr const char* kProfibusText = "Profibus";

} // namespace kb
