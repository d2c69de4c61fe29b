#pragma once

#include <QString>

namespace pelorin {

// The manual entry panel over the whole window: a heading, the text area, a hint and two buttons.
class IEntryPanel
{
public:
    virtual ~IEntryPanel() = default;

    // Shows the panel and its controls under the heading caption; the text area keeps what it held.
    virtual void open(const QString& caption) = 0;
    // Hides the controls one by one, then the panel, which stays behind the draw window bare.
    virtual void close() = 0;
    // What the text area holds, its line breaks as CR LF.
    virtual QString text() const = 0;
};

} // namespace pelorin
