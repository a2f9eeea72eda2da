#pragma once

#include <cstddef>
#include <deque>
#include <optional>

#include "core/config/Choice.h"

namespace kb {

// The user's earlier choices, for Undo and Redo. Each step holds the whole choice (every
// control's entry, the typed language, the card, the ZEV-Azo's visibility), so restoring one
// never depends on replaying the others.
class UndoHistory {
  public:
    static constexpr std::size_t kDefaultSteps = 200;

    explicit UndoHistory(std::size_t steps = kDefaultSteps) : m_steps(steps) {}

    // A change was made from "before": one step back, and nothing left to redo. A step that
    // continues the previous one (typing on in the language box) adds none of its own.
    void Record(const Choice& before, bool continuesPrevious = false);
    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    // The choice to return to; "current" is kept for the opposite command.
    std::optional<Choice> Undo(const Choice& current);
    std::optional<Choice> Redo(const Choice& current);
    void Clear();

  private:
    std::size_t m_steps;
    std::deque<Choice> m_undo;
    std::deque<Choice> m_redo;
    bool m_lastContinuable = false;
};

} // namespace kb
