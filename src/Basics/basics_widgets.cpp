// Widget helpers of Basics: silent changes, names, form locking, selections,
// drag data, splitter grips.

#include "Basics/basics.h"

#include "Output/output.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTextBlock>
#include <QThread>

#include <algorithm>

namespace {

QString nameOrClass(const QObject *object)
{
    const QString name = object->objectName();
    return name.isEmpty() ? QString::fromLatin1(object->metaObject()->className()) : name;
}

void prepend(QString &text, const QString &name)
{
    text = text.isEmpty() ? name : name + QLatin1String("::") + text;
}

// Deletes a layout with the widgets and layouts it holds.
void deleteLayout(QLayout *layout)
{
    while (QLayoutItem *item = layout->takeAt(0)) {
        delete item->widget();
        if (QLayout *inner = item->layout())
            deleteLayout(inner);
        else
            delete item;
    }
    delete layout;
}

QFrame *gripLine(QWidget *handle, const QSize &size)
{
    auto *frame = new QFrame(handle);
    frame->setMinimumSize(size);
    frame->setMaximumSize(size);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}

} // namespace

QMainWindow *BasicsWidgets::getMainWindow()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<QMainWindow *>(widget))
            return window;
    }
    return nullptr;
}

void BasicsWidgets::setCurrentIndexSilently(QComboBox *box, int index)
{
    if (!box)
        return;
    const bool wasBlocked = box->blockSignals(true);
    box->setCurrentIndex(index);
    box->blockSignals(wasBlocked);
}

void BasicsWidgets::hideAllMenus()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return;
    // Hiding a menu makes its parent menu the active popup; a menu that does
    // not go away when hidden ends the walk instead of looping on it.
    QWidget *previous = nullptr;
    while (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
        if (menu == previous)
            break;
        previous = menu;
        menu->hide();
    }
}

void BasicsWidgets::setReadOnly(QCheckBox *box, bool readOnly)
{
    if (!box)
        return;
    box->setAttribute(Qt::WA_TransparentForMouseEvents, readOnly);
    box->setFocusPolicy(readOnly ? Qt::NoFocus : Qt::StrongFocus);
}

QString BasicsWidgets::getFullObjectName(QObject *object)
{
    QString text;
    for (const QObject *each = object; each; each = each->parent()) {
        if (!each->property("ignored").isValid())
            prepend(text, nameOrClass(each));
    }
    return text;
}

QString BasicsWidgets::getRelativeObjectName(const QObject *object, const QObject *ancestor,
                                             bool namedOnly)
{
    QString text;
    for (const QObject *each = object; each && each != ancestor; each = each->parent()) {
        const QString name = namedOnly ? each->objectName() : nameOrClass(each);
        if (!name.isEmpty())
            prepend(text, name);
    }
    return text;
}

QString BasicsWidgets::getDescription(const QWidget *widget)
{
    if (!widget)
        return QString();
    const QString description = widget->property("description").toString();
    return description.isEmpty() ? widget->objectName() : description;
}

void BasicsWidgets::qSleep(int milliseconds)
{
    if (milliseconds > 0)
        QThread::msleep(ulong(milliseconds));
}

IntRange BasicsWidgets::selectedLines(QPlainTextEdit *edit)
{
    if (!edit)
        return IntRange();
    const QTextCursor cursor = edit->textCursor();
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    if (start == end)
        return IntRange();
    // A block (its length counts the separator) is touched when the
    // selection overlaps it. Blocks before the one holding the start cannot
    // be, so the walk begins there.
    int first = -1;
    int last = -1;
    for (QTextBlock block = edit->document()->findBlock(start);
         block.isValid() && block.position() < end; block = block.next()) {
        if (start < block.position() + block.length()) {
            if (first < 0)
                first = block.blockNumber();
            last = block.blockNumber();
        }
    }
    return first < 0 ? IntRange() : IntRange(first, last + 1);
}

QMimeData *BasicsWidgets::cloneMimeData(const QMimeData *source)
{
    if (!source)
        return nullptr;
    auto *copy = new QMimeData;
    for (const QString &format : source->formats())
        copy->setData(format, source->data(format));
    return copy;
}

QList<QWidget *> BasicsWidgets::disable(QWidget *root, const QList<QWidget *> &except,
                                        bool directChildrenOnly)
{
    QList<QWidget *> changed;
    if (!root)
        return changed;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (except.contains(widget) || (directChildrenOnly && widget->parentWidget() != root))
            continue;
        if (qobject_cast<QAbstractButton *>(widget)) {
            // Only buttons the form enables itself; a button disabled by
            // its own setEnabled(false) stays out of the list.
            if (!widget->testAttribute(Qt::WA_ForceDisabled)) {
                widget->setEnabled(false);
                changed.append(widget);
            }
        } else if (auto *spinBox = qobject_cast<QAbstractSpinBox *>(widget)) {
            if (!spinBox->isReadOnly()) {
                spinBox->setReadOnly(true);
                changed.append(widget);
            }
        }
    }
    return changed;
}

void BasicsWidgets::enable(QList<QWidget *> widgets)
{
    for (QWidget *widget : qAsConst(widgets)) {
        if (!widget)
            continue;
        if (qobject_cast<QAbstractButton *>(widget))
            widget->setEnabled(true);
        else if (auto *spinBox = qobject_cast<QAbstractSpinBox *>(widget))
            spinBox->setReadOnly(false);
    }
}

void BasicsWidgets::decorateSplitterHandle(QSplitter *splitter, int index, int lines)
{
    if (!splitter) {
        // Signature, place and text as the tools have always shown them.
        Output::TraceLine("static void Basics::decorateSplitterHandle(QSplitter*, int, int)",
                          "Basics\\basics.cpp", 909)
            << "splitter = NULL";
        return;
    }
    QSplitterHandle *handle = splitter->handle(index);
    if (!handle)
        return;
    lines = std::clamp(lines, 0, 100);
    splitter->setHandleWidth(2 * lines + 1);

    if (QLayout *old = handle->layout())
        deleteLayout(old);
    auto *layout = new QHBoxLayout(handle);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    constexpr int along = 1000000;
    if (splitter->orientation() == Qt::Horizontal) {
        for (int i = 0; i < lines; ++i)
            layout->addWidget(gripLine(handle, QSize(1, along)));
    } else {
        layout->addStretch();
        auto *column = new QVBoxLayout;
        layout->addLayout(column);
        for (int i = 0; i < lines; ++i)
            column->addWidget(gripLine(handle, QSize(along, 1)));
        layout->addStretch();
    }
}
