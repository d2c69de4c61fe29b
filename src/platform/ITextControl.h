#pragma once

#include <QString>

namespace pelorin {

// A control with one text: a label's or button's caption, a text box's content.
class ITextControl
{
public:
    virtual ~ITextControl() = default;

    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
};

} // namespace pelorin
