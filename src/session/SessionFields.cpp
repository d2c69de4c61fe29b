#include "session/SessionFields.h"

#include "app/AppContext.h"
#include "platform/ITextControl.h"

namespace pelorin::sessionfields {

namespace {

ITextControl* pageField(CategoryControls& page, const QString& field)
{
    if (field == CandidateCounter)
        return page.candidateCounter;
    if (field == PresetCount)
        return page.presetCount;
    if (field == DrawnCount)
        return page.drawnCount;
    return nullptr;
}

QString* windowText(AppState& state, const QString& field)
{
    if (field == SourceFolder)
        return &state.SourceFolder;
    if (field == SourceFileTail)
        return &state.SourceFileTail;
    if (field == ImportStamp)
        return &state.ImportStamp;
    if (field == ExportPath)
        return &state.ExportPath;
    return nullptr;
}

} // namespace

std::vector<FieldChange> read(AppContext& context)
{
    std::vector<FieldChange> fields;
    fields.reserve(CategoryCount * 3 + 6);
    for (Category i = 0; i < CategoryCount; ++i)
        for (const QString& name : { CandidateCounter, PresetCount, DrawnCount })
            if (ITextControl* control = pageField(context.category(i), name))
                fields.push_back({ i, name, control->text() });
    AppState& state = context.state;
    for (const QString& name : { SourceFolder, SourceFileTail, ImportStamp, ExportPath })
        fields.push_back({ -1, name, *windowText(state, name) });
    fields.push_back({ -1, CurCategory, QString::number(state.CurCategory) });
    fields.push_back(
        { -1, HasImportedCandidates, state.HasImportedCandidates ? QStringLiteral("1") : QStringLiteral("0") });
    return fields;
}

void write(AppContext& context, const std::vector<FieldChange>& fields)
{
    AppState& state = context.state;
    for (const FieldChange& f : fields) {
        if (f.category >= 0) {
            if (f.category >= CategoryCount)
                continue;
            if (ITextControl* control = pageField(context.category(f.category), f.field))
                control->setText(f.value);
        } else if (QString* text = windowText(state, f.field)) {
            *text = f.value;
        } else if (f.field == CurCategory) {
            bool ok = false;
            const int value = f.value.toInt(&ok);
            if (ok && value >= 0 && value < CategoryCount)
                state.CurCategory = static_cast<std::int16_t>(value);
        } else if (f.field == HasImportedCandidates) {
            state.HasImportedCandidates = f.value == QLatin1String("1");
        }
    }
}

} // namespace pelorin::sessionfields
