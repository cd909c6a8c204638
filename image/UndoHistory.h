#pragma once
// The eight-step undo history of the document: full copies of the image
// before each change. Slots below the position hold the states before the
// current image (undo), slots from the position up the states after it
// (redo). A ninth change drops the oldest state. It also knows which state
// was last opened or saved (the clean state), so a change stays a change after
// its oldest slot was dropped. Pure; one thread at a time (the user-interface
// thread).

#include "image/cximage/CxImage.h"

#include <array>
#include <memory>

namespace scriva {

class UndoHistory
{
public:
    static constexpr int kSlots = 8;

    // Before a change of `current`: keeps a full copy (pixels, selection,
    // alpha) and discards every redo state. An invalid or absent image is not
    // kept; false when it was not (nothing to keep, or the copy failed).
    bool Push(const CxImage* current);
    // Swaps the current image with the state before it; false when none.
    bool Undo(std::unique_ptr<CxImage>& current);
    // Swaps the current image with the state after it; false when none.
    bool Redo(std::unique_ptr<CxImage>& current);
    // Empties every slot; the current image becomes the clean state (after an
    // open or a save that replaces the file).
    void Clear();

    int Position() const { return m_position; }
    // The current image differs from the one last opened or saved: true after
    // an edit, false again when undo or redo returns to the clean state, and
    // true for good once that state was dropped or discarded.
    bool IsModified() const { return m_position != m_clean; }
    bool CanUndo() const { return m_position > 0; }
    bool CanRedo() const { return m_position < kSlots && m_slots[size_t(m_position)] != nullptr; }

private:
    std::array<std::unique_ptr<CxImage>, kSlots> m_slots;
    int m_position = 0;
    int m_clean = 0; // the position of the clean state; kNoClean when it is gone
    static constexpr int kNoClean = -1;
};

} // namespace scriva
