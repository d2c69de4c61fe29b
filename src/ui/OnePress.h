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
    // The filter lives as long as the control.
    static void install(QWidget* control);

    // True for a press that is part of a repetition rather than a press of its own.
    static bool isRepeat(const QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

} // namespace pelorin::ui
