#include "model/Session.h"

#include "model/ChangeNotes.h"
#include "model/Exclusion.h"
#include "model/ListFingerprint.h"
#include "model/SeededStream.h"
#include "model/SessionFields.h"
#include "model/Shuffle.h"

#include <QJsonArray>

namespace pelorin {

namespace {

const QString Unknown = QStringLiteral("XXXX");
// Intents outside any command: a typed count, the page a dialog was opened for.
const QString StrayKind = QStringLiteral("edit");

std::size_t at(ListKind kind)
{
    return static_cast<std::size_t>(kind);
}

} // namespace

Session::Command::Command(Session& session, const QString& kind, Category category)
    : m_session(session)
{
    m_session.begin(kind, category);
}

Session::Command::~Command()
{
    m_session.end();
}

Session::Session(QObject* parent)
    : QObject(parent)
    , m_progress(*this)
{
    for (Page& p : m_pages)
        for (NameListModel*& list : p.lists)
            list = new NameListModel(this);
    m_shown = fields();
}

NameListModel& Session::model(Category category, ListKind kind)
{
    return *page(category).lists.at(at(kind));
}

const QStringList& Session::names(Category category, ListKind kind) const
{
    return page(category).lists.at(at(kind))->items();
}

QString Session::candidateCounterText(Category category) const
{
    return page(category).counterKnown ? QString::number(count(category, ListKind::Candidates)) : Unknown;
}

QString Session::presetText(Category category) const
{
    return page(category).preset;
}

QString Session::drawnText(Category category) const
{
    return page(category).typedDrawn.value_or(QString::number(count(category, ListKind::Results)));
}

void Session::begin(const QString& kind, Category category)
{
    if (m_depth++ > 0)
        return;
    m_pending = SessionChange {};
    m_pending.kind = kind;
    m_pending.category = category;
}

void Session::end()
{
    if (m_depth == 0 || --m_depth > 0)
        return;
    std::vector<FieldChange> now = fields();
    for (std::size_t i = 0; i < now.size(); ++i)
        if (i >= m_shown.size() || !(now[i] == m_shown[i]))
            m_pending.fields.push_back(now[i]);
    SessionChange done;
    std::swap(done, m_pending);
    if (done.lists.empty() && done.fields.empty() && done.details.isEmpty())
        return;
    m_shown = std::move(now);
    emit changed(done);
}

void Session::note(const QString& key, const QJsonValue& value)
{
    m_pending.details.insert(key, value);
}

void Session::change(Category category, ListKind list, ListChange::Type type, QStringList names, int index)
{
    ListChange c;
    c.type = type;
    c.category = category;
    c.list = list;
    c.index = index;
    c.names = std::move(names);
    model(category, list).apply(c, m_pending.details);
    m_pending.lists.push_back(std::move(c));
}

void Session::setCurrentCategory(Category category)
{
    Command command(*this, StrayKind, -1);
    m_current = category;
}

void Session::setExportTexts(const ExportTexts& texts)
{
    Command command(*this, StrayKind, -1);
    m_export = texts;
}

void Session::setPreset(Category category, const QString& text)
{
    Command command(*this, StrayKind, -1);
    page(category).preset = text;
}

void Session::setDrawn(Category category, const QString& text)
{
    Command command(*this, StrayKind, -1);
    page(category).typedDrawn = text;
}

void Session::replaceCandidates(Category category, const QStringList& names)
{
    Command command(*this, StrayKind, category);
    if (names != this->names(category, ListKind::Candidates))
        change(category, ListKind::Candidates, ListChange::Type::Replace, names);
    page(category).counterKnown = true;
}

void Session::replaceHistory(Category category, const QStringList& names)
{
    Command command(*this, StrayKind, category);
    if (names != this->names(category, ListKind::History))
        change(category, ListKind::History, ListChange::Type::Replace, names);
}

bool Session::appendNames(Category category, ListKind list, const QStringList& names)
{
    if (count(category, list) + names.size() > MaxListNames)
        return false;
    Command command(*this, StrayKind, category);
    if (!names.isEmpty())
        change(category, list, ListChange::Type::Append, names);
    if (list == ListKind::Candidates)
        page(category).counterKnown = true;
    return true;
}

bool Session::removeAt(Category category, ListKind list, int index)
{
    if (index < 0 || index >= count(category, list))
        return false;
    Command command(*this, StrayKind, category);
    change(category, list, ListChange::Type::Remove, { names(category, list).at(index) }, index);
    if (list == ListKind::Candidates)
        page(category).counterKnown = true;
    return true;
}

void Session::clearCandidates(Category category)
{
    Command command(*this, StrayKind, category);
    if (count(category, ListKind::Candidates) > 0)
        change(category, ListKind::Candidates, ListChange::Type::Clear, names(category, ListKind::Candidates));
    page(category).counterKnown = false;
}

void Session::clearHistory(Category category)
{
    Command command(*this, StrayKind, category);
    if (count(category, ListKind::History) > 0)
        change(category, ListKind::History, ListChange::Type::Clear, names(category, ListKind::History));
}

bool Session::handBack(Category category, int index)
{
    if (index < 0 || index >= count(category, ListKind::Results)
        || count(category, ListKind::Candidates) + 1 > MaxListNames)
        return false;
    Command command(*this, StrayKind, category);
    const QString name = names(category, ListKind::Results).at(index);
    change(category, ListKind::Candidates, ListChange::Type::Append, { name });
    change(category, ListKind::Results, ListChange::Type::Remove, { name }, index);
    Page& p = page(category);
    p.counterKnown = true;
    p.typedDrawn.reset();
    return true;
}

bool Session::substitute(Category category, int index, int sector)
{
    if (index < 0 || index >= count(category, ListKind::Results) || sector < 1
        || sector > count(category, ListKind::Candidates))
        return false;
    Command command(*this, StrayKind, category);
    const QString withdrawn = names(category, ListKind::Results).at(index);
    const QString name = names(category, ListKind::Candidates).at(sector - 1);
    change(category, ListKind::Results, ListChange::Type::Remove, { withdrawn }, index);
    change(category, ListKind::Results, ListChange::Type::Append, { name });
    const int first = static_cast<int>(names(category, ListKind::Candidates).indexOf(name));
    change(category, ListKind::Candidates, ListChange::Type::Remove, { name }, first);
    return true;
}

bool Session::handBackAll(Category category)
{
    const QStringList results = names(category, ListKind::Results);
    if (results.isEmpty())
        return true;
    if (count(category, ListKind::Candidates) + results.size() > MaxListNames)
        return false;
    Command command(*this, StrayKind, category);
    change(category, ListKind::Candidates, ListChange::Type::Append, results);
    change(category, ListKind::Results, ListChange::Type::Clear, results);
    Page& p = page(category);
    p.counterKnown = true;
    p.typedDrawn.reset();
    return true;
}

bool Session::clearResults(Category category, bool handBackFirst)
{
    const QStringList results = names(category, ListKind::Results);
    if (handBackFirst && !results.isEmpty()) {
        if (count(category, ListKind::Candidates) + results.size() > MaxListNames)
            return false;
    }
    Command command(*this, StrayKind, category);
    if (handBackFirst && !results.isEmpty()) {
        change(category, ListKind::Candidates, ListChange::Type::Append, results);
        page(category).counterKnown = true;
    }
    if (!results.isEmpty())
        change(category, ListKind::Results, ListChange::Type::Clear, results);
    page(category).typedDrawn.reset();
    return true;
}

void Session::excludeHistory(Category category)
{
    Command command(*this, StrayKind, category);
    const QStringList& candidates = names(category, ListKind::Candidates);
    const QStringList kept = pelorin::excludeHistory(candidates, names(category, ListKind::History));
    if (kept.size() != candidates.size()) {
        note(listnotes::Removed, QJsonArray::fromStringList(removedNames(candidates, kept)));
        change(category, ListKind::Candidates, ListChange::Type::Replace, kept);
    }
    page(category).counterKnown = true;
}

void Session::shuffle(Category category, const ShuffleSeed& seed)
{
    Command command(*this, StrayKind, category);
    const QStringList& before = names(category, ListKind::Candidates);
    note(shufflenotes::Seed, seed.hex());
    note(shufflenotes::Fingerprint, listFingerprint(before));
    const int n = static_cast<int>(before.size());
    note(shufflenotes::Count, n);
    change(category, ListKind::Candidates, ListChange::Type::Shuffle);
    // The stream goes on past the shuffle's picks, for whatever the draw of this order picks next.
    auto stream = std::make_unique<SeededStream>(seed);
    shuffledOrder(n, *stream);
    m_shuffleStream = std::move(stream);
}

std::unique_ptr<IRandom> Session::takeShuffleStream()
{
    return std::move(m_shuffleStream);
}

void Session::shuffle(Category category, IRandom& random)
{
    m_shuffleStream.reset();
    const QStringList& before = names(category, ListKind::Candidates);
    if (before.size() < 2)
        return;
    Command command(*this, StrayKind, category);
    QStringList shuffled = before;
    ShuffleList(shuffled, random);
    change(category, ListKind::Candidates, ListChange::Type::Replace, shuffled);
}

bool Session::draw(Category category, int sector)
{
    if (sector < 1 || sector > count(category, ListKind::Candidates))
        return false;
    Command command(*this, StrayKind, category);
    const QString name = names(category, ListKind::Candidates).at(sector - 1);
    change(category, ListKind::Results, ListChange::Type::Append, { name });
    // The first equal candidate leaves, as the list is read from the top.
    const int first = static_cast<int>(names(category, ListKind::Candidates).indexOf(name));
    change(category, ListKind::Candidates, ListChange::Type::Remove, { name }, first);
    Page& p = page(category);
    p.counterKnown = true;
    p.typedDrawn.reset();
    return true;
}

std::vector<FieldChange> Session::fields() const
{
    using namespace sessionfields;
    std::vector<FieldChange> all;
    all.reserve(CategoryCount * 3 + 6);
    for (Category i = 0; i < CategoryCount; ++i) {
        all.push_back({ i, CandidateCounter, candidateCounterText(i) });
        all.push_back({ i, PresetCount, presetText(i) });
        all.push_back({ i, DrawnCount, drawnText(i) });
    }
    all.push_back({ -1, SourceFolder, m_export.sourceFolder });
    all.push_back({ -1, SourceFileTail, m_export.sourceFileTail });
    all.push_back({ -1, ImportStamp, m_export.importStamp });
    all.push_back({ -1, ExportPath, m_export.exportPath });
    all.push_back({ -1, CurCategory, QString::number(m_current) });
    all.push_back(
        { -1, HasImportedCandidates, m_export.hasImportedCandidates ? QStringLiteral("1") : QStringLiteral("0") });
    return all;
}

void Session::setField(const FieldChange& f)
{
    using namespace sessionfields;
    if (f.category >= CategoryCount)
        return;
    if (f.category >= 0) {
        Page& p = page(f.category);
        if (f.field == CandidateCounter)
            p.counterKnown = f.value != Unknown;
        else if (f.field == PresetCount)
            p.preset = f.value;
        else if (f.field == DrawnCount)
            // Kept as typed only where it differs from what the results give.
            p.typedDrawn = f.value == QString::number(count(f.category, ListKind::Results))
                ? std::nullopt
                : std::optional<QString>(f.value);
        return;
    }
    if (f.field == SourceFolder)
        m_export.sourceFolder = f.value;
    else if (f.field == SourceFileTail)
        m_export.sourceFileTail = f.value;
    else if (f.field == ImportStamp)
        m_export.importStamp = f.value;
    else if (f.field == ExportPath)
        m_export.exportPath = f.value;
    else if (f.field == HasImportedCandidates)
        m_export.hasImportedCandidates = f.value == QLatin1String("1");
    else if (f.field == CurCategory) {
        bool ok = false;
        const int value = f.value.toInt(&ok);
        if (ok && value >= 0 && value < CategoryCount)
            m_current = value;
    }
}

void Session::assign(const KeptAssignment& assignment)
{
    const QJsonObject details = assignmentDetails(assignment);
    for (auto it = details.begin(); it != details.end(); ++it)
        note(it.key(), it.value());
    m_assignment = assignment;
}

void Session::apply(const SessionChange& c)
{
    // An assignment changes no list: what it made is in its details.
    if (c.kind == QLatin1String("assign"))
        if (std::optional<KeptAssignment> kept = assignmentFromDetails(c.details))
            m_assignment = std::move(kept);
    for (const ListChange& list : c.lists) {
        const int kind = static_cast<int>(list.list);
        if (list.category < 0 || list.category >= CategoryCount || kind < 0 || kind > 2)
            continue;
        model(list.category, list.list).apply(list, c.details);
    }
    for (const FieldChange& field : c.fields)
        setField(field);
    m_shown = fields();
}

void Session::restore(const std::vector<SessionChange>& changes)
{
    for (Category i = 0; i < CategoryCount; ++i) {
        for (ListKind kind : { ListKind::Candidates, ListKind::Results, ListKind::History })
            model(i, kind).apply({ ListChange::Type::Clear, i, kind, -1, {} }, {});
        Page fresh;
        fresh.lists = page(i).lists;
        page(i) = fresh;
    }
    m_current = 0;
    m_export = {};
    m_assignment.reset();
    for (const SessionChange& c : changes)
        apply(c);
    m_shown = fields();
    emit restored();
}

} // namespace pelorin
