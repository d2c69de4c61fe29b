#pragma once

#include <QObject>

class QKeyEvent;
class QWidget;

namespace pelorin::ui {

// Makes one press of the hand do one thing on a control that opens, closes, starts or stops a draw:
// the second press of a double click and the keyboard's repeats of a held Enter or Space are swallowed.
// Without it the second press of a double click on "关闭摇窗" lands on the draw button that lies under it
// once the window has gone (and opens a draw of that page), and a held key runs start, stop, start ... as
// fast as the keyboard repeats, drawing names nobody saw.
class OnePress : public QObject
{
    Q_OBJECT
public:
    enum class DoubleClicks
    {
        Swallowed,
        Kept, // for a text field, where a double click selects a word
    };

    // The filter lives as long as the control.
    static void install(QWidget* control, DoubleClicks doubleClicks = DoubleClicks::Swallowed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    OnePress(QWidget* control, DoubleClicks doubleClicks);
    bool isRepeat(const QKeyEvent* key) const;

    DoubleClicks m_doubleClicks;
    // Time stamps of the last releases of Enter and Space seen here; 0 when unknown.
    quint64 m_enterReleasedAt = 0;
    quint64 m_spaceReleasedAt = 0;
};

} // namespace pelorin::ui
