// DPI auto-scaling of Basics: the logical DPI, "apx" style sheets, marked
// widgets.

#include "Basics/basics.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QGridLayout>
#include <QHeaderView>
#include <QLayout>
#include <QMetaObject>
#include <QPaintDevice>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRegExp>
#include <QTableView>
#include <QVariant>
#include <QWidget>

#include <climits>
#include <cmath>

namespace {

int s_logicalDpi = 0;       // 0 until determined
QStringList s_arguments;    // the host's command line, read on first need

// double to int toward zero, saturating: scale factors are the caller's and
// may be anything.
int truncated(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(INT_MAX))
        return INT_MAX;
    if (value <= double(INT_MIN))
        return INT_MIN;
    return int(value);
}

// The toolkit's qRound (halves away from zero for positive values),
// saturating.
int rounded(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(INT_MAX) - 0.5)
        return INT_MAX;
    if (value <= double(INT_MIN) + 0.5)
        return INT_MIN;
    return qRound(value);
}

int scaledTruncated(int value, double scale)
{
    return truncated(value * scale);
}

// Removes every "//" up to and including the next line feed, as one global
// replace of "//[^\n]*\n" would. When the first "//" has no line feed after
// it, no later one has either.
bool stripLineComments(QString &sheet)
{
    const QLatin1String slashes("//");
    int from = sheet.indexOf(slashes);
    int lineEnd = from < 0 ? -1 : sheet.indexOf(QLatin1Char('\n'), from + 2);
    if (lineEnd < 0)
        return false;
    QString result;
    result.reserve(sheet.size());
    int copied = 0;
    while (lineEnd >= 0) {
        result.append(sheet.constData() + copied, from - copied);
        copied = lineEnd + 1;
        from = sheet.indexOf(slashes, copied);
        lineEnd = from < 0 ? -1 : sheet.indexOf(QLatin1Char('\n'), from + 2);
    }
    result.append(sheet.constData() + copied, sheet.size() - copied);
    sheet = result;
    return true;
}

// The int a run of digits reads as: 0 when it does not fit, and 0 for digits
// of other scripts (which a regular expression's \d matches, but a decimal
// conversion does not read).
int readDigits(const QChar *digits, int count)
{
    qint64 value = 0;
    for (int i = 0; i < count; ++i) {
        const ushort c = digits[i].unicode();
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return 0;
    }
    return int(value);
}

// Replaces each maximal run of digits directly followed by "apx", left to
// right. The replacement ends in "px" and the scan goes on behind it, which
// gives what rescanning the whole sheet after every replacement would: a
// replaced length never forms a new match, and the text before it has none.
bool scaleApxLengths(QString &sheet, double factor)
{
    const QLatin1String unit("apx");
    int at = sheet.indexOf(unit);
    if (at < 0)
        return false;
    const QChar *data = sheet.constData();
    QString result;
    int copied = 0;
    for (; at >= 0; at = sheet.indexOf(unit, at + unit.size())) {
        int start = at;
        while (start > copied && data[start - 1].isDigit())
            --start;
        if (start == at)
            continue;
        if (result.isNull())
            result.reserve(sheet.size() + sheet.size() / 8);
        result.append(data + copied, start - copied);
        result.append(QString::number(truncated(readDigits(data + start, at - start) * factor + 0.5)));
        result.append(QLatin1String("px"));
        copied = at + unit.size();
    }
    if (result.isNull())
        return false;
    result.append(data + copied, sheet.size() - copied);
    sheet = result;
    return true;
}

void scaleLayout(QLayout *layout, double scale)
{
    int left = 0, top = 0, right = 0, bottom = 0;
    layout->getContentsMargins(&left, &top, &right, &bottom);
    layout->setContentsMargins(scaledTruncated(left, scale), scaledTruncated(top, scale),
                               scaledTruncated(right, scale), scaledTruncated(bottom, scale));
    if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
        grid->setHorizontalSpacing(scaledTruncated(grid->horizontalSpacing(), scale));
        grid->setVerticalSpacing(scaledTruncated(grid->verticalSpacing(), scale));
    } else if (auto *form = qobject_cast<QFormLayout *>(layout)) {
        form->setHorizontalSpacing(scaledTruncated(form->horizontalSpacing(), scale));
        form->setVerticalSpacing(scaledTruncated(form->verticalSpacing(), scale));
    } else if (layout->spacing() >= 1) {
        layout->setSpacing(scaledTruncated(layout->spacing(), scale));
    }
}

void scaleHeader(QHeaderView *header, double scale)
{
    if (!header)
        return;
    header->setMinimumSectionSize(scaledTruncated(header->minimumSectionSize(), scale));
    header->setDefaultSectionSize(scaledTruncated(header->defaultSectionSize(), scale));
}

void scaleWidget(QWidget *widget, double scale)
{
    // Removed first, so that a second run leaves the widget alone.
    widget->setProperty("AutoScale", QVariant());

    const QSize minimum = widget->minimumSize();
    widget->setMinimumSize(rounded(minimum.width() * scale), rounded(minimum.height() * scale));
    // Unbounded maxima (16777215 by default) stay unbounded.
    constexpr int bounded = 0x7fffff;
    if (widget->maximumWidth() < bounded)
        widget->setMaximumWidth(scaledTruncated(widget->maximumWidth(), scale));
    if (widget->maximumHeight() < bounded)
        widget->setMaximumHeight(scaledTruncated(widget->maximumHeight(), scale));

    if (auto *table = qobject_cast<QTableView *>(widget)) {
        scaleHeader(table->verticalHeader(), scale);
        scaleHeader(table->horizontalHeader(), scale);
    } else if (auto *editor = qobject_cast<QPlainTextEdit *>(widget)) {
        editor->setTabStopDistance(truncated(editor->tabStopDistance() * scale));
    }

    if (widget->metaObject()->indexOfMethod("autoScale(double)") >= 0) {
        // The widget's own method may delete it.
        const QPointer<QWidget> alive(widget);
        QMetaObject::invokeMethod(widget, "autoScale", Qt::DirectConnection, Q_ARG(double, scale));
        if (!alive)
            return;
    }

    if (QLayout *layout = widget->layout())
        scaleLayout(layout, scale);

    QString styleSheet = widget->styleSheet();
    if (BasicsAutoScale::autoScaleStyleSheet(styleSheet, scale))
        widget->setStyleSheet(styleSheet);
}

void scaleIcons(QWidget *widget, double scale)
{
    widget->setProperty("AutoScaleIcons", QVariant());
    const QVariant iconSize = widget->property("iconSize");
    if (!iconSize.isValid())
        return;
    const QSize size = iconSize.toSize();
    widget->setProperty("iconSize",
                        QSize(rounded(size.width() * scale), rounded(size.height() * scale)));
}

} // namespace

int BasicsAutoScale::myLogicalDpiX(const QPaintDevice *device)
{
    if (!device)
        return 96;
    if (s_logicalDpi > 0)
        return s_logicalDpi;
    // A device without a resolution would scale everything to nothing.
    const int deviceDpi = device->logicalDpiX();
    if (deviceDpi <= 0)
        return 96;
    s_logicalDpi = deviceDpi;

    if (s_arguments.isEmpty() && QCoreApplication::instance())
        s_arguments = QCoreApplication::arguments();
    const QRegExp highDpi(QStringLiteral("-highdpi"), Qt::CaseInsensitive);
    const int at = s_arguments.indexOf(highDpi);
    if (at < 0 || at + 1 >= s_arguments.size())
        return s_logicalDpi;
    bool number = false;
    const double factor = s_arguments.at(at + 1).toDouble(&number);
    if (number && factor > 1)
        s_logicalDpi = truncated(factor * s_logicalDpi);
    return s_logicalDpi;
}

bool BasicsAutoScale::autoScaleStyleSheet(QString &styleSheet, double factor)
{
    if (styleSheet.isEmpty())
        return false;
    stripLineComments(styleSheet);
    return scaleApxLengths(styleSheet, factor);
}

void BasicsAutoScale::autoScale2(QWidget *widget, bool includeWidget, double factor)
{
    if (!widget)
        return;
    const double scale = factor > 1 ? factor : myLogicalDpiX(widget) / 96.0;

    // Guarded: a widget's own autoScale(double) may delete others.
    QList<QPointer<QWidget>> widgets;
    for (QWidget *child : widget->findChildren<QWidget *>())
        widgets.append(child);
    if (includeWidget)
        widgets.append(widget);

    for (const QPointer<QWidget> &each : widgets) {
        if (each && each->property("AutoScale").isValid())
            scaleWidget(each, scale);
        if (each && each->property("AutoScaleIcons").isValid())
            scaleIcons(each, scale);
    }
}
