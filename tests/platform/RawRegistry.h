#pragma once

// The registry read and written directly, beside the store under test. Kept apart from the tests:
// <windows.h> names its root keys and value types as macros, which the settings' own names would meet.
#include <QByteArray>
#include <QString>
#include <optional>

namespace pelorin::test {

enum class Hive
{
    User,
    Machine64,
    Machine32
};

namespace raw {

inline constexpr unsigned long TextType = 1;
inline constexpr unsigned long BinaryType = 3;
inline constexpr unsigned long NumberType = 4;

struct Value
{
    unsigned long type = 0;
    QByteArray bytes;
};

std::optional<Value> value(Hive hive, const QString& key, const QString& name);
void setText(Hive hive, const QString& key, const QString& name, const QString& text);
void removeTree(Hive hive, const QString& parent, const QString& key);

} // namespace raw
} // namespace pelorin::test
