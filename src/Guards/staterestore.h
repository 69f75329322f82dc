#pragma once

// StateRestore: snapshot of a piece of plain memory, written back at the end
// of the scope.
//
//     bool busy = false;
//     {
//         StateRestore restore(busy);
//         busy = true;
//         ...
//     }                    // busy is false again
//
// The bytes are copied back without running any constructor or destructor,
// so only plain data (numbers, flags, plain structs) may be guarded.

#include <basicsdll_export.h>

/// Writes a snapshot of plain memory back at the end of the scope.
class BASICSDLL_EXPORT StateRestore
{
public:
    /// Saves \a size bytes at \a target. A null target, a size of 0 or less,
    /// or a snapshot too large for the memory available makes an empty guard
    /// that restores nothing (see holdsSnapshot()).
    StateRestore(void *target, int size);
    /// Saves \a variable.
    explicit StateRestore(bool &variable);
    /// Saves \a variable.
    explicit StateRestore(int &variable);
    /// Writes the saved bytes back.
    ~StateRestore();

    StateRestore(const StateRestore &) = delete;
    StateRestore &operator=(const StateRestore &) = delete;

    /// Takes a new snapshot of \a target, replacing the one held so far (the
    /// earlier target is then not restored). A null target, a size of 0 or
    /// less, or a snapshot too large for the memory available changes
    /// nothing.
    void set(void *target, int size);
    /// True when the guard holds a snapshot to write back.
    bool holdsSnapshot() const { return m_saved != nullptr; }

private:
    void *m_target = nullptr;
    char *m_saved = nullptr;
    int m_size = 0;
};
