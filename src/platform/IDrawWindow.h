#pragma once

namespace pelorin {

// The draw window, over a backdrop that covers the main window.
class IDrawWindow
{
public:
    virtual ~IDrawWindow() = default;

    // Shows the backdrop, then the window centred over it at its narrow width.
    virtual void open() = 0;
    // Widens the window, centred again, so the names drawn show beside the wheel.
    virtual void widen() = 0;
    // Hides the window, narrow again, then the backdrop.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
};

} // namespace pelorin
