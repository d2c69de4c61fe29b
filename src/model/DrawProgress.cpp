#include "model/DrawProgress.h"

#include "model/IRandom.h"
#include "model/NumberConversion.h"
#include "model/SeededStream.h"
#include "model/Session.h"
#include "model/WheelGeometry.h"

namespace pelorin {

DrawProgress::DrawProgress(const Session& session, QObject* parent)
    : QObject(parent)
    , m_session(session)
{
}

DrawProgress::~DrawProgress() = default;

Category DrawProgress::category() const
{
    return m_session.currentCategory();
}

QString DrawProgress::drawnText() const
{
    // A count that is no number stays as it was copied, as the box it stands for would.
    const std::optional<std::int16_t> atOpening = toNumber(m_drawnAtOpening);
    if (!atOpening || m_drawnCount == 0)
        return m_drawnAtOpening;
    return QString::number(int(*atOpening) + m_drawnCount);
}

void DrawProgress::open()
{
    m_open = true;
    m_preset = m_session.presetText(category());
    m_drawnAtOpening = m_session.drawnText(category());
    m_drawn.clear();
    m_drawnCount = 0;
    m_shownThisStart = false;
    m_shownSector = 0;
    m_shownName.clear();
    emit changed(Opening | Drawn);
}

void DrawProgress::close()
{
    m_open = false;
    m_rolling = false;
    m_slowStop.cancel();
    m_stream.reset();
    if (ceremonyComplete()) {
        m_afterCeremony = std::move(m_witnessed);
        m_afterCategory = category();
        m_afterCandidates = m_session.names(m_afterCategory, ListKind::Candidates);
        m_completedSeed = m_ceremony.seed;
    }
    m_drawn.clear();
    m_ceremony = {};
    m_witnessed.reset();
    emit changed(Opening | Motion | Drawn | CeremonyStep);
}

bool DrawProgress::ceremonyComplete() const
{
    return m_ceremony.stage == Ceremony::Stage::Revealed && m_drawn.size() >= m_ceremony.draws;
}

IRandom* DrawProgress::substituteStream(Category category) const
{
    if (!m_afterCeremony || category != m_afterCategory
        || m_session.names(category, ListKind::Candidates) != m_afterCandidates)
        return nullptr;
    return m_afterCeremony.get();
}

void DrawProgress::adoptSubstituteStream(Category category, std::unique_ptr<IRandom> stream)
{
    m_afterCeremony = std::move(stream);
    m_afterCategory = category;
    m_afterCandidates = m_session.names(category, ListKind::Candidates);
    emit changed(Opening);
}

void DrawProgress::noteSubstituted()
{
    if (m_afterCeremony)
        m_afterCandidates = m_session.names(m_afterCategory, ListKind::Candidates);
}

void DrawProgress::commit(const ShuffleSeed& secret, const QString& commitment, const QString& fingerprint, int count,
                          int draws)
{
    m_ceremony = {};
    m_afterCeremony.reset();
    m_ceremony.draws = draws;
    m_ceremony.stage = Ceremony::Stage::Committed;
    m_ceremony.secret = secret;
    m_ceremony.commitment = commitment;
    m_ceremony.fingerprint = fingerprint;
    m_ceremony.count = count;
    emit changed(CeremonyStep);
}

void DrawProgress::noteWitnesses(const QString& text)
{
    m_ceremony.witnessText = text;
    m_ceremony.stage = Ceremony::Stage::Witnessed;
    emit changed(CeremonyStep);
}

void DrawProgress::reveal(const ShuffleSeed& seed)
{
    m_ceremony.seed = seed;
    m_ceremony.stage = Ceremony::Stage::Revealed;
    m_witnessed = std::make_unique<SeededStream>(seed);
    emit changed(CeremonyStep);
}

void DrawProgress::start(std::int16_t speed, bool slowStopOn, std::unique_ptr<IRandom> stream)
{
    m_rolling = true;
    m_speed = speed;
    m_slowStopOn = slowStopOn;
    m_stream = std::move(stream);
    m_wheelCount = m_session.count(category(), ListKind::Candidates);
    ++m_generation;
    m_angle = 0;
    m_degrees = 0;
    m_steps = 0;
    m_shownThisStart = false;
    emit changed(Wheel | Pointer | Motion);
}

bool DrawProgress::tick()
{
    if (m_slowStop.isRunning()) {
        const bool rested = m_slowStop.step();
        showSteps(m_slowStop.position());
        return rested;
    }
    if (!m_rolling)
        return false;
    // The reset comes before the step, so the pointer never stands at 0.
    if (m_angle >= 360)
        m_angle = 0;
    m_angle += m_speed;
    m_degrees = m_angle;
    m_steps = std::int64_t(m_angle) * m_wheelCount;
    show(wheel::sectorAt(m_angle, m_wheelCount), m_steps);
    emit changed(Pointer);
    return false;
}

void DrawProgress::show(int sector, std::int64_t steps)
{
    const QStringList& candidates = m_session.names(category(), ListKind::Candidates);
    if (sector < 1 || sector > candidates.size())
        return;
    m_shownThisStart = true;
    m_shownSector = sector;
    m_shownOf = m_wheelCount;
    m_shownSteps = steps;
    m_shownName = candidates.at(sector - 1);
}

void DrawProgress::showSteps(std::int64_t steps)
{
    const int count = m_wheelCount < 1 ? 1 : m_wheelCount;
    m_steps = steps;
    const std::int64_t lap = std::int64_t(360) * count;
    std::int64_t inLap = ((steps % lap) + lap) % lap;
    if (inLap == 0)
        inLap = lap;
    m_degrees = double(inLap) / count;
    // Whole degrees within the lap, 1 to 360, as the rolling pointer counts them.
    m_angle = static_cast<std::int32_t>(inLap / count);
    if (m_angle == 0)
        m_angle = 360;
    show(SlowStop::sectorAtStep(steps, count), steps);
    emit changed(Pointer);
}

bool DrawProgress::beginRunOut(IRandom& fallback)
{
    if (!m_slowStopOn || !hasShownSector() || m_wheelCount < 1)
        return false;
    // A draw started at a lower speed before the option was ticked still runs out at a sensible pace.
    const int speed = m_speed < SlowStop::MinimumSpeed ? SlowStop::MinimumSpeed : m_speed;
    m_slowStop.begin(m_angle, speed, m_wheelCount, m_stream ? *m_stream : fallback);
    emit changed(Motion);
    return true;
}

void DrawProgress::beginRunOutTo(int sector)
{
    const int speed = m_speed < SlowStop::MinimumSpeed ? SlowStop::MinimumSpeed : m_speed;
    m_slowStop.beginTo(m_angle, speed, m_wheelCount, sector);
    emit changed(Motion);
}

void DrawProgress::halt()
{
    m_rolling = false;
    m_slowStop.cancel();
    emit changed(Motion);
}

void DrawProgress::noteDrawn(const QString& name)
{
    m_drawn.append(name);
    ++m_drawnCount;
    emit changed(Drawn);
}

void DrawProgress::noteRecordCode(const QString& code)
{
    m_recordCode = code;
    emit changed(RecordCode);
}

} // namespace pelorin
