#include "core/session/UndoHistory.h"

namespace kb {

void UndoHistory::Record(const Choice& before, bool continuesPrevious) {
    m_redo.clear();
    const bool merge = continuesPrevious && m_lastContinuable && !m_undo.empty();
    m_lastContinuable = continuesPrevious;
    if (merge)
        return;
    m_undo.push_back(before);
    if (m_undo.size() > m_steps)
        m_undo.pop_front();
}

std::optional<Choice> UndoHistory::Undo(const Choice& current) {
    m_lastContinuable = false;
    if (m_undo.empty())
        return std::nullopt;
    Choice restored = std::move(m_undo.back());
    m_undo.pop_back();
    m_redo.push_back(current);
    return restored;
}

std::optional<Choice> UndoHistory::Redo(const Choice& current) {
    m_lastContinuable = false;
    if (m_redo.empty())
        return std::nullopt;
    Choice restored = std::move(m_redo.back());
    m_redo.pop_back();
    m_undo.push_back(current);
    return restored;
}

void UndoHistory::Clear() {
    m_undo.clear();
    m_redo.clear();
    m_lastContinuable = false;
}

} // namespace kb
