#pragma once

#include <QString>
#include <optional>

namespace pelorin {

class IInputBox
{
public:
    virtual ~IInputBox() = default;

    // Asks for one line of text; nullopt when cancelled, an empty string when confirmed empty.
    virtual std::optional<QString> ask(const QString& prompt, const QString& title, const QString& defaultText) = 0;
};

} // namespace pelorin
