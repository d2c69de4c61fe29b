#pragma once

#include "model/SessionChange.h"
#include "record/RecordSummary.h"

#include <QJsonObject>
#include <QMap>
#include <QStringList>
#include <array>
#include <optional>

namespace pelorin::record {

// Rebuilds every list from the events of a record, one event at a time, and checks each event against the
// lists as they stand: removed names must be there, every shuffle must be the one its seed gives, every
// drawn name must be the one under the pointer of the wheel the start laid out.
class RecordReplay
{
public:
    // Applies one event line; false, with the reason in Chinese, when it does not hold.
    bool apply(const QJsonObject& event, QString& reason);

    const QStringList& list(Category category, ListKind kind) const;
    RecordSummary& summary() { return m_summary; }

private:
    struct Wheel
    {
        int count = 0;
        QString fingerprint;
        QString seed;
        QString startTime;
    };
    struct Event;

    bool applyChange(const QJsonObject& change, Event& event, QString& reason);
    bool checkStop(const Event& event, QString& reason);
    bool shuffle(QStringList& list, Event& event, QString& reason);
    void noteSources(const Event& event);
    QStringList& listRef(Category category, ListKind kind);

    std::array<std::array<QStringList, 3>, CategoryCount> m_lists;
    std::array<std::optional<Wheel>, CategoryCount> m_wheels; // laid out by a start, until the candidates change
    QMap<QPair<int, QString>, QString> m_fields;
    RecordSummary m_summary;
};

} // namespace pelorin::record
