#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

namespace pelorin {

// Facts a running command adds to its record that its list changes do not show (an import's file hash,
// a shuffle's seed, a stop's angle). Whoever keeps the session takes them when the command ends.
class CommandNotes
{
public:
    void note(const QString& key, const QJsonValue& value) { m_pending.insert(key, value); }

    QJsonObject take()
    {
        QJsonObject taken;
        taken.swap(m_pending);
        return taken;
    }

private:
    QJsonObject m_pending;
};

} // namespace pelorin
