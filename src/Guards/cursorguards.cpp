#include "Guards/cursorguards.h"

#include <QGuiApplication>

namespace {
// Nesting depth of MyWaitCursor; GUI thread only.
int s_waitCursorNesting = 0;
} // namespace

MyOverrideCursor::MyOverrideCursor(const QCursor &cursor)
{
    QGuiApplication::setOverrideCursor(cursor);
}

MyOverrideCursor::MyOverrideCursor(Qt::CursorShape shape)
{
    QGuiApplication::setOverrideCursor(QCursor(shape));
}

MyOverrideCursor::~MyOverrideCursor()
{
    QGuiApplication::restoreOverrideCursor();
}

MyWaitCursor::MyWaitCursor()
{
    if (s_waitCursorNesting == 0) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        s_waitCursorNesting = 1;
    } else {
        ++s_waitCursorNesting;
    }
}

MyWaitCursor::~MyWaitCursor()
{
    if (s_waitCursorNesting - 1 > 0) {
        --s_waitCursorNesting;
    } else {
        s_waitCursorNesting = 0;
        QGuiApplication::restoreOverrideCursor();
    }
}
