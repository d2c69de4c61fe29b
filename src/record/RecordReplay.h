#pragma once

#include "model/SeededStream.h"
#include "model/SessionChange.h"
#include "record/RecordSummary.h"

#include <QDateTime>
#include <QHash>
#include <QJsonObject>
#include <QMap>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
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
    // The room code of the stop line just applied, kept beside the name it drew.
    void noteStopLine(Category category, const QString& code);
    // After the last event: the lists as they end, the starts left without a stop.
    void finish();

    // The results and the history as they stand.
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
        bool witnessed = false; // shuffled from a witnessed draw's stream, which also picks its stop
        std::size_t ceremony = 0; // that draw, in the summary
    };
    // A witnessed draw in progress, from its commitment to the closing of the draw window.
    struct Ceremony
    {
        // Written out: clang cannot tell that a nested class with member initializers is default-constructible
        // while the class around it is still being defined, and std::optional<Ceremony> asks it then.
        Ceremony() { } // NOLINT(modernize-use-equals-default)
        enum class Stage
        {
            Committed,
            Witnessed,
            Revealed,
        };
        std::size_t at = 0; // in the summary
        Stage stage = Stage::Committed;
        std::unique_ptr<SeededStream> stream; // once revealed
    };
    struct Change
    {
        QString op;
        ListKind list = ListKind::Candidates;
        QStringList names;
        qint64 index = -1;
    };
    struct Event
    {
        QString kind;
        Category category = -1;
        QString localTime;
        QJsonObject details;
        std::vector<Change> changes;
        QString shape; // "op:list,op:list"
        bool appendedCandidates = false;
        bool clearedCandidates = false;
        bool witnessed = false; // a start, stop or substitute of a witnessed draw
    };

    static bool handsBack(const Event& event);
    bool readChanges(const QJsonValue& value, Event& event, QString& reason);
    bool checkShape(const Event& event, QString& reason) const;
    bool run(Event& event, QString& reason);
    bool applyChange(const Change& change, Event& event, QString& reason);
    bool applyToCandidates(const Change& change, Event& event, QString& reason);
    void noteNames(const QStringList& names);
    // The number of a name, the same for equal names; its text and fingerprint piece are kept once.
    int idOf(const QString& name);
    QStringList candidateNames(Category category) const;
    QString fingerprintOf(const std::vector<int>& ids) const;
    bool shuffle(Event& event, QString& reason);
    bool checkStop(const Event& event, QString& reason);
    // The steps of a witnessed draw, and where other commands end one; false when a step does not hold.
    bool followCeremony(Event& event, QString& reason);
    bool commit(const Event& event, QString& reason);
    bool closeCeremony(const Event& event, QString& reason);
    void endCeremony(WitnessedDraw::End end);
    bool substitute(Event& event, QString& reason);
    // An inspection task assignment, recomputed from the results as they stand.
    bool assign(const Event& event, QString& reason);
    void dropWheel(Category category);
    void noteSources(const Event& event);
    QStringList& listRef(Category category, ListKind kind);
    std::vector<int>& candidatesOf(Category category) { return m_candidates.at(static_cast<std::size_t>(category)); }
    const std::vector<int>& candidatesOf(Category category) const
    {
        return m_candidates.at(static_cast<std::size_t>(category));
    }

    int m_version = 2;
    QDateTime m_last; // the time of the line before
    QDateTime m_written;
    WorkbookCheck m_workbookCheck;
    std::array<std::array<QStringList, 3>, CategoryCount> m_lists;
    // The candidates as numbers of names: a shuffle moves numbers, and each name is encoded for the
    // fingerprint once, not at every start. Equal names have one number.
    QHash<QString, int> m_ids;
    std::vector<QString> m_names;
    static constexpr std::size_t Slack = 64;
    std::vector<unsigned char> m_arena = std::vector<unsigned char>(Slack); // every piece, one after another
    std::vector<std::size_t> m_pieceAt; // by number of name
    std::vector<std::size_t> m_pieceSize;
    std::array<std::vector<int>, CategoryCount> m_candidates;
    std::array<std::optional<Wheel>, CategoryCount> m_wheels; // laid out by a start, until a stop or a change
    std::optional<Ceremony> m_ceremony;
    // A completed ceremony's stream goes on for substitutes, until the category's candidates change otherwise.
    std::array<std::unique_ptr<SeededStream>, CategoryCount> m_substituteStreams;
    std::array<std::size_t, CategoryCount> m_substituteCeremony {}; // whose stream each is, in the summary
    // The seed of the last completed ceremony: an assignment after it takes its seed from this one.
    std::optional<ShuffleSeed> m_completedSeed;
    RecordSummary m_summary;
    bool m_slowStops = false;
    bool m_lineFeedNames = false;
};

} // namespace pelorin::record
