#pragma once

#include "model/SessionChange.h"
#include "record/RecordSummary.h"

#include <QDateTime>
#include <QJsonObject>
#include <QMap>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace pelorin::record {

// Checks an import's names against the workbook whose bytes have the given SHA-256: empty when they agree,
// else the reason in Chinese.
using WorkbookCheck = std::function<QString(const QString& sha256, const QStringList& names)>;

// Rebuilds every list from the events of a record, one event at a time, and checks each event against the
// lists as they stand: each kind of command makes only its own changes, removed names must be there, every
// shuffle must be the one its seed gives, every drawn name must be the one the pointer of the start's wheel
// stopped at, and times never run backwards.
class RecordReplay
{
public:
    // The header's facts: the format version (1 or 2), when the session began and when the file was written.
    void begin(int version, const QDateTime& sessionStarted, const QDateTime& written);
    void setWorkbookCheck(WorkbookCheck check) { m_workbookCheck = std::move(check); }

    // Applies one event line; false, with the reason in Chinese, when it does not hold.
    bool apply(const QJsonObject& event, QString& reason);
    // After the last event: the lists as they end, the starts left without a stop.
    void finish();

    const QStringList& list(Category category, ListKind kind) const;
    RecordSummary& summary() { return m_summary; }

private:
    struct Wheel
    {
        int count = 0;
        int speed = 0;
        bool slowStopOption = false;
        QString fingerprint;
        QString seed;
        QString startTime;
        qint64 turn = 0; // the pick after the shuffle's: a slow stop's further turn
    };
    struct Change
    {
        QString op;
        ListKind list = ListKind::Candidates;
        QStringList names;
        qint64 index = -1;
    };
    struct Event;

    static bool handsBack(const Event& event);
    bool readChanges(const QJsonValue& value, Event& event, QString& reason);
    bool checkShape(const Event& event, QString& reason) const;
    bool run(Event& event, QString& reason);
    bool applyChange(const Change& change, Event& event, QString& reason);
    bool shuffle(Event& event, QString& reason);
    bool checkStop(const Event& event, QString& reason);
    void dropWheel(Category category);
    void noteSources(const Event& event);
    QStringList& listRef(Category category, ListKind kind);
    std::vector<QByteArray>& piecesOf(Category category) { return m_pieces.at(static_cast<std::size_t>(category)); }

    int m_version = 2;
    QDateTime m_last; // the time of the line before
    QDateTime m_written;
    WorkbookCheck m_workbookCheck;
    std::array<std::array<QStringList, 3>, CategoryCount> m_lists;
    // Each candidate's share of its list's fingerprint, in list order: a name is encoded once, not at every start.
    std::array<std::vector<QByteArray>, CategoryCount> m_pieces;
    std::array<std::optional<Wheel>, CategoryCount> m_wheels; // laid out by a start, until a stop or a change
    RecordSummary m_summary;
    bool m_slowStops = false;
    bool m_lineFeedNames = false;
};

} // namespace pelorin::record
