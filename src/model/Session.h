#pragma once

#include "model/DrawProgress.h"
#include "model/IRandom.h"
#include "model/NameListModel.h"
#include "model/SessionChange.h"
#include "model/TaskRecord.h"

#include <QJsonObject>
#include <QObject>
#include <array>
#include <memory>
#include <optional>

namespace pelorin {

class IRandom;
struct ShuffleSeed;

// Lists count and index their items with 16-bit signed numbers.
constexpr int MaxListNames = 32767;

// The texts a candidate import leaves for the export: where the workbook lies and when it was read.
struct ExportTexts
{
    QString sourceFolder;
    QString sourceFileTail;
    QString importStamp;
    QString exportPath;
    bool hasImportedCandidates = false; // a candidate workbook was chosen, so the texts above hold
};

// The session: for every category its candidates, results and history, its preset count and what its
// counters show, and the texts of the last candidate import. It changes only through the user's intents
// below; each user command, however many intents it takes, is announced once, as one SessionChange.
// The counters are derived: the candidate counter shows the count (or "XXXX" after a clear), the drawn
// count shows the number of results unless the user typed another.
class Session : public QObject
{
    Q_OBJECT
public:
    explicit Session(QObject* parent = nullptr);

    // Marks one user command for as long as it lives; intents outside any command are commands of their
    // own. A command that changed nothing is not announced.
    class Command
    {
    public:
        Command(Session& session, const QString& kind, Category category);
        ~Command();
        Command(const Command&) = delete;
        Command& operator=(const Command&) = delete;

    private:
        Session& m_session;
    };

    NameListModel& model(Category category, ListKind kind);
    const QStringList& names(Category category, ListKind kind) const;
    int count(Category category, ListKind kind) const { return static_cast<int>(names(category, kind).size()); }
    QString candidateCounterText(Category category) const;
    QString presetText(Category category) const;
    QString drawnText(Category category) const;
    Category currentCategory() const { return m_current; }
    const ExportTexts& exportTexts() const { return m_export; }
    // The draw in progress.
    DrawProgress& progress() { return m_progress; }
    const DrawProgress& progress() const { return m_progress; }

    // Adds a fact to the change of the command now running.
    void note(const QString& key, const QJsonValue& value);

    // The intents. Each checks what it can and changes nothing when it does not hold.
    void setCurrentCategory(Category category);
    void setExportTexts(const ExportTexts& texts);
    void setPreset(Category category, const QString& text);
    void setDrawn(Category category, const QString& text);
    // Replaces the candidates (an import); the counter shows their count.
    void replaceCandidates(Category category, const QStringList& names);
    void replaceHistory(Category category, const QStringList& names);
    // Appends typed names; false when the list would hold more than MaxListNames.
    bool appendNames(Category category, ListKind list, const QStringList& names);
    // Removes one candidate or history name; false for an index outside the list.
    bool removeAt(Category category, ListKind list, int index);
    void clearCandidates(Category category);
    void clearHistory(Category category);
    // Puts the result at index back at the end of the candidates; false when there is none or no room.
    bool handBack(Category category, int index);
    // Puts every result back; false when the candidates have no room for them (nothing moves then).
    bool handBackAll(Category category);
    // Clears the results, handing them back first when asked; false, with nothing changed, when they
    // were to be handed back and the candidates have no room.
    bool clearResults(Category category, bool handBackFirst);
    // Withdraws the result at index and draws the candidate at sector (1..count) in its stead: the
    // withdrawn name leaves the results, the drawn one is appended to them and leaves the candidates (the
    // first equal one). False, with nothing changed, for an index or a sector outside its list.
    bool substitute(Category category, int index, int sector);
    // Strikes out of the candidates every name of the history, each removing the first equal candidate.
    void excludeHistory(Category category);
    // Shuffles the candidates with the picks of seed, noting the seed, the count and the fingerprint.
    void shuffle(Category category, const ShuffleSeed& seed);
    // The stream of the last seeded shuffle, past its picks; none once taken.
    std::unique_ptr<IRandom> takeShuffleStream();
    // The same with picks from random, which the change cannot recompute: it holds the new order.
    void shuffle(Category category, IRandom& random);
    // The name on sector (1-based) of the candidates as the wheel shows them moves to the results.
    // False for a sector outside the list.
    bool draw(Category category, int sector);

    // Keeps an inspection task assignment made from the drawn names, noting everything its record line holds.
    void assign(const KeptAssignment& assignment);
    // The last assignment kept, also after a restore; none before the first.
    const std::optional<KeptAssignment>& lastAssignment() const { return m_assignment; }

    // Applies a kept change without announcing it.
    void apply(const SessionChange& change);
    // Empties the session and applies the kept changes in order: the session as they left it.
    void restore(const std::vector<SessionChange>& changes);

signals:
    // One user command's change, when the command ends.
    void changed(const pelorin::SessionChange& change);
    // The whole session was replaced by restore().
    void restored();

private:
    struct Page
    {
        std::array<NameListModel*, 3> lists {};
        bool counterKnown = false;
        QString preset = QStringLiteral("1");
        std::optional<QString> typedDrawn;
    };

    Page& page(Category category) { return m_pages.at(static_cast<std::size_t>(category)); }
    const Page& page(Category category) const { return m_pages.at(static_cast<std::size_t>(category)); }
    void begin(const QString& kind, Category category);
    void end();
    void change(Category category, ListKind list, ListChange::Type type, QStringList names = {}, int index = -1);
    std::vector<FieldChange> fields() const;
    void setField(const FieldChange& field);

    std::array<Page, CategoryCount> m_pages;
    Category m_current = 0;
    ExportTexts m_export;

    int m_depth = 0;
    SessionChange m_pending;
    std::vector<FieldChange> m_shown; // the fields as the last change left them
    std::unique_ptr<IRandom> m_shuffleStream;
    DrawProgress m_progress;
    std::optional<KeptAssignment> m_assignment;
};

} // namespace pelorin
