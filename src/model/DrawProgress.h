#pragma once

#include "model/Categories.h"
#include "model/ShuffleSeed.h"
#include "model/SlowStop.h"

#include <QObject>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

namespace pelorin {

class IRandom;
class Session;

// The draw in progress: which category's draw window is open, the wheel of the current start, where the
// pointer stands and which sector it shows, the run-out after a slow stop, and the names drawn since the
// window opened. The draw window and the projector follow changed(); the journal does not, because a name
// drawn reaches it as the session's own change.
class DrawProgress : public QObject
{
    Q_OBJECT
public:
    // What a change touched, combined with OR.
    enum Aspect
    {
        Opening = 1, // opened or closed; the counts copied at opening
        Wheel = 2, // a new wheel was drawn at a start
        Pointer = 4, // the pointer moved, and with it perhaps the sector shown
        Drawn = 8, // a name was drawn in this opening
        Motion = 16, // rolling, running out or standing still
        RecordCode = 32, // a line was added to the draw record
        CeremonyStep = 64, // a step of the witnessed draw
    };

    // 见证摇号 for this opening: the program's secret committed to, the witnesses' text, the seed revealed.
    struct Ceremony
    {
        enum class Stage
        {
            None,
            Committed,
            Witnessed,
            Revealed,
        };
        Stage stage = Stage::None;
        ShuffleSeed secret;
        QString commitment; // SHA-256 of the secret
        QString fingerprint; // of the candidates at the commitment
        int count = 0; // candidates at the commitment
        int draws = 0; // the picks it is for: the preset count less those drawn before, at most count
        QString witnessText;
        ShuffleSeed seed;
    };

    explicit DrawProgress(const Session& session, QObject* parent = nullptr);
    ~DrawProgress() override;

    bool isOpen() const { return m_open; }
    // The category being drawn: the session's current one.
    Category category() const;
    // The preset count as copied when the window opened.
    const QString& presetText() const { return m_preset; }
    // The drawn count copied at opening, counted up by one per name drawn since.
    QString drawnText() const;
    const QStringList& drawnThisOpening() const { return m_drawn; }

    bool isRolling() const { return m_rolling; }
    bool isRunningOut() const { return m_slowStop.isRunning(); }
    int wheelCount() const { return m_wheelCount; }
    // Goes up by one at every start, so a view can tell a new wheel from the old.
    int wheelGeneration() const { return m_generation; }
    std::int16_t speed() const { return m_speed; }

    // Whole degrees, 1 to 360, as the rolling pointer counts them (0 before the first tick).
    std::int32_t pointerAngle() const { return m_angle; }
    // The same position with fractions, and in whole steps of 1/wheelCount degree.
    double pointerDegrees() const { return m_degrees; }
    std::int64_t pointerSteps() const { return m_steps; }

    // True once a tick of this start showed a sector.
    bool hasShownSector() const { return m_shownThisStart; }
    // The sector last shown in this opening (0: none yet), of a wheel of shownOf sectors, where the pointer
    // stood then, and its name. They stay from one start to the first sector of the next.
    int shownSector() const { return m_shownSector; }
    int shownOf() const { return m_shownOf; }
    std::int64_t shownSteps() const { return m_shownSteps; }
    const QString& shownName() const { return m_shownName; }

    // The short code of the draw record's latest line, as the room is shown it ("1a2b 3c4d"); empty before the first.
    const QString& recordCode() const { return m_recordCode; }
    const SlowStop& slowStop() const { return m_slowStop; }

    const Ceremony& ceremony() const { return m_ceremony; }
    // The opening's stream once the witnessed draw's seed is revealed: every pick of the opening comes from it.
    IRandom* witnessedStream() const { return m_witnessed.get(); }
    void commit(const ShuffleSeed& secret, const QString& commitment, const QString& fingerprint, int count, int draws);
    // Whether every pick of the revealed ceremony of this opening has been drawn.
    bool ceremonyComplete() const;
    // After a completed ceremony of category, the same stream for substitutes (替补), as long as the
    // category's candidates stand as the ceremony left them; null otherwise.
    IRandom* substituteStream(Category category) const;
    // The candidates as a substitute left them: the next substitute takes the stream's next pick among them.
    void noteSubstituted();
    // After a restart: the completed ceremony's stream of category as the record left it, for the candidates
    // as they stand.
    void adoptSubstituteStream(Category category, std::unique_ptr<IRandom> stream);
    // After a restart: the seed of the last ceremony the record shows completed.
    void adoptCompletedSeed(const ShuffleSeed& seed) { m_completedSeed = seed; }
    // The seed of the last ceremony completed in this run, whatever came after it; none before.
    const std::optional<ShuffleSeed>& completedCeremonySeed() const { return m_completedSeed; }
    void noteWitnesses(const QString& text);
    void reveal(const ShuffleSeed& seed);

    // The intents of the draw window. Opening copies the counts of the session's current category.
    void open();
    void close();
    // A new wheel of the category's candidates as they stand, the pointer at 0 and turning at speed
    // degrees per tick. stream, when given, is the stream that shuffled them: a slow stop's further turn
    // is its next pick.
    void start(std::int16_t speed, bool slowStopOn, std::unique_ptr<IRandom> stream = {});
    // One tick: the rolling pointer steps on by the speed, a run-out by its own pace. True on the tick
    // on which a run-out comes to rest.
    bool tick();
    // Starts the run-out from where the pointer stands, when this draw's slow stop is on and a sector has
    // been shown; its turn is the start's stream's next pick, or fallback's when there is none.
    bool beginRunOut(IRandom& fallback);
    // Starts a run-out from where the pointer stands that comes to rest on sector, chosen before.
    void beginRunOutTo(int sector);
    // Stops the pointer where it stands.
    void halt();
    void noteDrawn(const QString& name);
    void noteRecordCode(const QString& code);

signals:
    void changed(int aspects);

private:
    void showSteps(std::int64_t steps);
    void show(int sector, std::int64_t steps);

    const Session& m_session;
    bool m_open = false;
    QString m_preset;
    QString m_drawnAtOpening;
    QStringList m_drawn;
    int m_drawnCount = 0; // since the window opened; the count stays in view once it closes
    bool m_rolling = false;
    int m_wheelCount = 0;
    int m_generation = 0;
    std::int16_t m_speed = 15;
    std::int32_t m_angle = 0;
    double m_degrees = 0;
    std::int64_t m_steps = 0;
    bool m_shownThisStart = false;
    int m_shownSector = 0;
    int m_shownOf = 0;
    std::int64_t m_shownSteps = 0;
    QString m_shownName;
    bool m_slowStopOn = false;
    SlowStop m_slowStop;
    std::unique_ptr<IRandom> m_stream;
    QString m_recordCode;
    Ceremony m_ceremony;
    std::unique_ptr<IRandom> m_witnessed;
    // Kept from the last completed ceremony, with its category and the candidates it left.
    std::unique_ptr<IRandom> m_afterCeremony;
    Category m_afterCategory = -1;
    QStringList m_afterCandidates;
    std::optional<ShuffleSeed> m_completedSeed;
};

} // namespace pelorin
