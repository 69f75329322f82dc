#pragma once

// Override cursors for one scope, on the GUI thread.
//
// MyOverrideCursor pushes a cursor onto the application's override-cursor
// stack and pops one at the end of the scope. MyWaitCursor shows the wait
// cursor; nested wait cursors share one stack entry, which the outermost one
// removes.

#include <basicsdll_export.h>

#include <QCursor>

/// Pushes an override cursor for one scope.
class BASICSDLL_EXPORT MyOverrideCursor
{
public:
    /// Pushes \a cursor onto the application's override-cursor stack.
    explicit MyOverrideCursor(const QCursor &cursor);
    /// Pushes a cursor of \a shape onto the override-cursor stack.
    explicit MyOverrideCursor(Qt::CursorShape shape);
    /// Pops one override cursor.
    ~MyOverrideCursor();

    MyOverrideCursor(const MyOverrideCursor &) = delete;
    MyOverrideCursor &operator=(const MyOverrideCursor &) = delete;
};

/// Shows the wait cursor for one scope; nested wait cursors share one entry
/// of the override-cursor stack.
class BASICSDLL_EXPORT MyWaitCursor
{
public:
    /// Shows the wait cursor unless an outer MyWaitCursor already does.
    MyWaitCursor();
    /// The outermost wait cursor removes the stack entry.
    ~MyWaitCursor();

    MyWaitCursor(const MyWaitCursor &) = delete;
    MyWaitCursor &operator=(const MyWaitCursor &) = delete;
};
