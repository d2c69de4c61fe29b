#pragma once

namespace pelorin {

// A check box as the commands see it.
class IToggle
{
public:
    virtual ~IToggle() = default;

    virtual bool isChecked() const = 0;
    virtual void setChecked(bool checked) = 0;
};

} // namespace pelorin
