#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Groups.h"

class PartTable;
struct Part;

// One selection control: its entries and the selected index (-1: none).
struct OptionList {
    std::vector<std::string> items;
    int index = -1;
    // What the user typed into the editable language box when it matches no entry.
    std::string editText;

    bool HasSelection() const { return index >= 0 && index < static_cast<int>(items.size()); }
    // The selected entry's text; the typed text when nothing is selected.
    const std::string& Text() const {
        return HasSelection() ? items[static_cast<std::size_t>(index)] : editText;
    }
};

// The state of every selection control of the main window.
struct Selections {
    std::array<OptionList, kGroupCount> lists;
    bool pciChecked = false;
    std::string pciCaption;
    // The ZEV-Azo group, the Display list and the cable group are shown together.
    bool azoVisible = true;

    OptionList& operator[](Group g) { return lists[static_cast<std::size_t>(g)]; }
    const OptionList& operator[](Group g) const { return lists[static_cast<std::size_t>(g)]; }

    bool SlotFilled(int n) const;
    // The slot holds a module of its own: filled, and not X4 showing "Profibus", which only
    // marks the slot as taken by the module listed, priced and coded under X9.
    bool SlotHasOwnModule(int n) const;
    bool Complete() const;

    // The part that the selected entry names, or nullptr (no selection, empty slot
    // entry, or a text that names no part).
    const Part* SelectedPart(Group g, const PartTable& parts) const;
    const Part* ExtensionPart(const PartTable& parts) const;

    // The 19 order numbers of the configuration in the exclusion rule's order:
    // Housing, Power, Processor, RAM, OS, extension card, HMI, X1..X10, Display, HMICable;
    // "0" for an empty slot or an unchecked card, empty text for a group naming no part.
    std::vector<std::string> SelectionList(const PartTable& parts) const;
};
