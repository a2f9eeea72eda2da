#pragma once

#include <string>

#include "core/config/Choice.h"

namespace kb {

// A control whose state a user or a code changes: a selection group, or the card's check box.
struct Control {
    static Control Of(Group group) { return {group, false}; }
    static Control Card() { return {Group::Housing, true}; }

    Group group = Group::Housing;
    bool card = false;

    bool operator==(const Control&) const = default;
};

// The user's own choice in a control always runs its handler. A change made by the program
// raises only the toolkit's events: a radio group or the check box whose state changes runs
// its click handler; setting a list's index runs nothing.
enum class ChangeBy { User, Program };

struct Reaction {
    Choice choice;
    // The control's handler runs the check: the caller evaluates the choice and completes a
    // Profibus pair (see ConfigurationCheck.h).
    bool runsCheck = false;
};

// How the state answers a change of one control to index (for the card: 0 unchecked, else
// checked). Radio positions past the end select the last entry, list positions outside the
// entries select nothing. The HMI handler shows the ZEV-Azo group for its first entry only;
// the language box has no handler. Pure: the only place these rules are written.
Reaction React(Choice choice, Control control, int index, ChangeBy by, const CatalogueSnapshot& catalogue);

// The user typed into the editable language box: a text equal to an entry selects it,
// anything else is kept as typed with no entry selected. Runs no handler.
Choice TypeLanguage(Choice choice, const std::string& text, const CatalogueSnapshot& catalogue);

// The ZEV-Azo group, the Display list and the cable group are shown while HMI holds its
// first entry.
Choice WithAzoVisibility(Choice choice);

} // namespace kb
