#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/catalogue/CatalogueSnapshot.h"
#include "core/platform/Result.h"

namespace kb {

// The user's side of a configuration: which entry each control shows (-1: none), what
// was typed into the language box, the card's check box and the ZEV-Azo's visibility.
struct Choice {
    Choice() { indexes.fill(-1); }

    std::array<int, kGroupCount> indexes;
    // What the user typed into the editable language box when it matches no entry.
    std::string typedLanguage;
    bool pciChecked = false;
    // The ZEV-Azo group, the Display list and the cable group are shown together.
    bool azoVisible = true;

    int& operator[](Group g) { return indexes[static_cast<std::size_t>(g)]; }
    int operator[](Group g) const { return indexes[static_cast<std::size_t>(g)]; }
    bool operator==(const Choice&) const = default;
};

// A choice read against the catalogue it was made in: the questions the check, the price,
// the code and the order list ask of a configuration.
class Configuration {
  public:
    Configuration(const Choice& choice, const CatalogueSnapshot& catalogue)
        : m_choice(choice), m_catalogue(catalogue) {}

    const Choice& choice() const { return m_choice; }
    const CatalogueSnapshot& catalogue() const { return m_catalogue; }

    bool HasSelection(Group g) const;
    // The selected entry's text; for the language box the typed text when nothing is selected.
    const std::string& Text(Group g) const;
    // A slot without a selection holds no module, just as one showing the empty entry.
    bool SlotEmpty(int n) const;
    // The slot holds a module of its own: not empty, and not X4 showing "Profibus", which only
    // marks the slot as taken by the module listed, priced and coded under X9.
    bool SlotHasOwnModule(int n) const;
    bool ShowsProfibus(Group slot) const;
    bool Complete() const;

    // The part that the selected entry names, or nullptr (no selection, empty slot
    // entry, or a text that names no part).
    const Part* SelectedPart(Group g) const;
    const Part* ExtensionPart() const;
    // The part of a group that must give one (a code character, an order-list row), or why
    // there is none: no selection, or an entry that names no part.
    Result<const Part*> RequiredPart(Group g) const;
    Result<const Part*> RequiredExtensionPart() const;

    // The 19 order numbers of the configuration in the exclusion rule's order:
    // Housing, Power, Processor, RAM, OS, extension card, HMI, X1..X10, Display, HMICable;
    // "0" for an empty slot or an unchecked card, empty text for a group naming no part.
    std::vector<std::string> SelectionList() const;

  private:
    const Choice& m_choice;
    const CatalogueSnapshot& m_catalogue;
};

} // namespace kb
