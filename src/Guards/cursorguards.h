#pragma once

// Override cursors for one scope, on the GUI thread.
//
// MyOverrideCursor pushes a cursor onto the application's override-cursor
// stack and pops one at the end of the scope. MyWaitCursor shows the wait
// cursor; nested wait cursors share one stack entry, which the outermost one
// removes.

#include <basicsdll_export.h>

#include <QCursor>

class BASICSDLL_EXPORT MyOverrideCursor
{
public:
    explicit MyOverrideCursor(const QCursor &cursor);
    explicit MyOverrideCursor(Qt::CursorShape shape);
    ~MyOverrideCursor();

    MyOverrideCursor(const MyOverrideCursor &) = delete;
    MyOverrideCursor &operator=(const MyOverrideCursor &) = delete;
};

class BASICSDLL_EXPORT MyWaitCursor
{
public:
    MyWaitCursor();
    ~MyWaitCursor();

    MyWaitCursor(const MyWaitCursor &) = delete;
    MyWaitCursor &operator=(const MyWaitCursor &) = delete;
};
