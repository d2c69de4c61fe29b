#pragma once

#include "platform/IClipboard.h"

namespace pelorin::test {

class FakeClipboard : public IClipboard
{
public:
    void clear() override
    {
        content.clear();
        ++clears;
    }
    void setText(const QString& text) override { content = text; }
    QString text() const override { return content; }

    QString content;
    int clears = 0;
};

} // namespace pelorin::test
