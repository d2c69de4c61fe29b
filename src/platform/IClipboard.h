#pragma once

#include <QString>

namespace pelorin {

class IClipboard
{
public:
    virtual ~IClipboard() = default;

    virtual void clear() = 0;
    virtual void setText(const QString& text) = 0;
    virtual QString text() const = 0;
};

} // namespace pelorin
