#pragma once

#include <QObject>

class QWidget;

namespace pelorin::ui {

// Makes one press of the hand do one thing on a control that opens, closes, starts or stops a draw:
// the second press of a double click and an Enter held until it repeats are swallowed. Without it the
// second press of a double click on "关闭摇窗" lands on the draw button that lies under it once the
// window has gone (and opens a draw of that page), and a held Enter runs start, stop, start ... as fast
// as the keyboard repeats, drawing names nobody saw.
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

    DoubleClicks m_doubleClicks;
    quint64 m_enterReleasedAt = 0; // time stamp of the last release of Enter seen here; 0 when unknown
};

} // namespace pelorin::ui
