#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace pelorin {

// A value or the reason there is none, in words for the user.
template <typename T> class Expected
{
public:
    Expected(T value)
        : m_value(std::move(value))
    {
    }
    static Expected failure(QString error)
    {
        Expected e;
        e.m_error = std::move(error);
        return e;
    }

    explicit operator bool() const { return m_value.has_value(); }
    bool ok() const { return m_value.has_value(); }
    T& value() { return *m_value; }
    const T& value() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    const QString& error() const { return m_error; }

private:
    Expected() = default;
    std::optional<T> m_value;
    QString m_error;
};

} // namespace pelorin
