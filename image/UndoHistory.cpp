#include "UndoHistory.h"

#include <utility>

namespace scriva {

bool UndoHistory::Push(const CxImage* current)
{
    if (m_position >= kSlots) {
        // Full: the oldest state goes.
        for (int i = 0; i + 1 < kSlots; ++i)
            m_slots[size_t(i)] = std::move(m_slots[size_t(i) + 1]);
        m_slots[kSlots - 1].reset();
        m_position = kSlots - 1;
        // Every state moved one place down; the oldest is gone for good.
        m_clean = m_clean > 0 ? m_clean - 1 : kNoClean;
    }
    for (int i = m_position; i < kSlots; ++i)
        m_slots[size_t(i)].reset();
    // A clean state among the discarded redo states cannot come back.
    if (m_clean > m_position)
        m_clean = kNoClean;
    if (!current || !current->IsValid())
        return false;
    auto copy = std::make_unique<CxImage>(*current);
    if (!copy->IsValid()) {
        // The change comes all the same, with no way back to the clean state.
        m_clean = kNoClean;
        return false;
    }
    m_slots[size_t(m_position++)] = std::move(copy);
    return true;
}

bool UndoHistory::Undo(std::unique_ptr<CxImage>& current)
{
    if (!CanUndo())
        return false;
    --m_position;
    std::swap(current, m_slots[size_t(m_position)]);
    return true;
}

bool UndoHistory::Redo(std::unique_ptr<CxImage>& current)
{
    // An empty slot would leave no image at all: refused.
    if (!CanRedo())
        return false;
    std::swap(current, m_slots[size_t(m_position)]);
    ++m_position;
    return true;
}

void UndoHistory::Clear()
{
    for (auto& slot : m_slots)
        slot.reset();
    m_position = 0;
    m_clean = 0;
}

} // namespace scriva
