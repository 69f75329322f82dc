#pragma once

// Dimmer: fades a window's opacity towards a target in small steps and then
// removes itself.
//
//     // Fade the dialog out: opacity 1 now, 0.05 less every 20 ms, exactly 0
//     // at the last tick; then the dimmer deletes itself.
//     Dimmer::startDimming(dialog, 0.0, 0.05, 1.0);
//
//     // Fade back in from wherever the window is now (-1: keep the opacity).
//     Dimmer::startDimming(dialog, 1.0, 0.05, -1);
//
// The dimmer is a child of the widget it fades (object name "dimmer"), so it
// dies with the widget; a new startDimming() on the same widget replaces the
// running fade. The step's sign is chosen at construction so that the fade
// moves towards the target; the last tick sets the target exactly.
//
// Only windows have an opacity of their own: for a child widget the
// toolkit reports 1 and ignores new values.
//
// Odd input: targets above 1 count as 1, targets not above 0 and NaN as 0.
// A step of 0 or NaN, or a null widget, makes an inert dimmer that never
// runs and never deletes itself. An infinite step reaches the target in one
// tick. The toolkit stores a window's opacity in steps of 1/255; the dimmer
// carries its own unrounded value from tick to tick (as long as the window
// still shows it), so steps smaller than that add up instead of being lost.

#include <basicsdll_export.h>

#include <QTimer>

class QWidget;

/// A timer that fades the window opacity of its parent widget; see the
/// file comment.
class BASICSDLL_EXPORT Dimmer : public QTimer
{
    Q_OBJECT

public:
    /// Makes a dimmer that moves the opacity of \a widget by \a step every
    /// 20 ms until it reaches \a targetOpacity (clamped into 0 to 1), and
    /// starts it. Inert (not started, not named) for a null \a widget or a
    /// step of 0 or NaN.
    Dimmer(QWidget *widget, double targetOpacity, double step);

    /// Stops and deletes every running dimmer of \a widget, sets its opacity
    /// to \a startOpacity when that lies within 0 to 1 (other values, NaN
    /// included, keep the current opacity) and returns a new dimmer
    /// (owned by \a widget). Returns null, and changes nothing, for a null
    /// \a widget.
    static Dimmer *startDimming(QWidget *widget, double targetOpacity, double step,
                                double startOpacity);

    /// The clamped target opacity.
    double targetOpacity() const { return m_targetOpacity; }
    /// The step per tick, with the sign that leads towards the target.
    double step() const { return m_step; }

private slots:
    void onTimeout();

private:
    double m_targetOpacity;
    double m_step;
    // The unrounded opacity set by the previous tick; negative before the
    // first tick.
    double m_lastOpacity = -1;
};
