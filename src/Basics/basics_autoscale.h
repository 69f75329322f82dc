#pragma once

// DPI auto-scaling of Basics: lay windows out for 96 DPI, scale them to the
// screen afterwards.
//
//     // In the designer or the constructor: mark what scales.
//     panel->setProperty("AutoScale", true);          // sizes, layout, style sheet
//     toolBar->setProperty("AutoScaleIcons", true);   // its "iconSize"
//     panel->setStyleSheet("QPushButton { padding: 4apx; }");
//     // Once, before the window is shown:
//     Basics::autoScale2(window, true, 0);   // 0: scale by logical DPI / 96
//
// A marked widget loses its marker when it is scaled, so a second call
// leaves it alone. Widgets may scale what the rules do not reach in an
// invokable method `autoScale(double factor)`. The host's command line may
// enlarge everything further: "-highdpi 1.5" multiplies the DPI by 1.5
// (factors of 1 or less, and text that is no number, are ignored).
//
// Style sheets write auto-scaled lengths as digits directly followed by
// "apx" ("12apx"); they become plain "px" lengths. GUI thread only.
// Call them as Basics::name(); this holder only groups the declarations.

#include <basicsdll_export.h>

#include <QString>

class QPaintDevice;
class QWidget;

/// DPI auto-scaling of windows and style sheets; call them as Basics::name().
struct BASICSDLL_EXPORT BasicsAutoScale
{
    BasicsAutoScale() = delete;

    /// The logical horizontal DPI used for scaling, times the factor after
    /// "-highdpi" on the command line when that is above 1 (truncated).
    /// Fixed for the process by the first call with a device that reports a
    /// DPI above 0. 96 for a null device or one without DPI (not kept).
    static int myLogicalDpiX(const QPaintDevice *device);

    /// Rewrites \a styleSheet in place: removes every line comment ("//" up
    /// to and including the next line feed; a comment without line feed
    /// after it stays), then replaces every run of decimal digits directly
    /// followed by "apx" by the number times \a factor, rounded half up and
    /// truncated toward zero, followed by "px" (a number that does not fit
    /// into an int reads as 0). Only the digits count: a minus sign or the
    /// integer part of a decimal number stays in front. Returns whether an
    /// "apx" length was replaced; false for an empty sheet. One pass over the
    /// sheet, whatever its length.
    static bool autoScaleStyleSheet(QString &styleSheet, double factor);

    /// Scales the marked widgets below \a widget (all depths, the toolkit's
    /// child order) and \a widget itself last when \a includeWidget is true,
    /// by \a factor when it is above 1, else by myLogicalDpiX(widget) / 96.
    /// For a widget with the property "AutoScale" (any valid value, also
    /// false): minimum size (rounded), bounded maximum width and height
    /// (truncated), table header section sizes or the text editor's tab stop,
    /// its autoScale(double) method, its layout's margins and spacings
    /// (truncated; a box layout's spacing only when it is 1 or more), its
    /// style sheet's "apx" lengths. For a widget with "AutoScaleIcons": its
    /// "iconSize" property (rounded). Both properties are removed. Nothing
    /// happens for a null widget.
    static void autoScale2(QWidget *widget, bool includeWidget, double factor);
};
