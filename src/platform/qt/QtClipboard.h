#pragma once

#include "platform/IClipboard.h"

namespace pelorin {

class QtClipboard : public IClipboard
{
public:
    void clear() override;
    void setText(const QString& text) override;
    QString text() const override;
};

} // namespace pelorin
