#pragma once

#include "platform/IDrawWindow.h"

#include <QRect>

class QWidget;

namespace pelorin {

// Places the draw window over its backdrop in the main window.
class DrawWindowPlacement : public IDrawWindow
{
public:
    DrawWindowPlacement(QWidget* window, QWidget* backdrop);

    void open() override;
    void widen() override;
    void close() override;
    bool isOpen() const override;

    // In twips: narrow, centred with its offset upwards; wide, centred at the same height.
    static QRect narrowBounds();
    static QRect wideBounds();

private:
    QWidget* m_window;
    QWidget* m_backdrop;
};

} // namespace pelorin
