#pragma once

#include "model/Categories.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace pelorin::record {

// One name drawn, with the wheel it was drawn from.
struct DrawnName
{
    QString name;
    int sector = 0; // 1 to wheelCount
    int wheelCount = 0; // candidates on the wheel
    QString startTime; // local time with offset, as recorded
    QString stopTime;
    QString fingerprint; // of the candidate list before the start's shuffle
    QString seed; // of the start's shuffle
    bool slowStop = false; // taken where the pointer came to rest after a run-out
};

// What a record says of one category.
struct CategoryDraws
{
    // Where the candidates came from: workbook file names, and "手工录入" for names typed or pasted.
    QStringList sources;
    std::vector<DrawnName> draws; // in the order they were drawn
    int withdrawn = 0; // results later handed back or cleared
    QStringList results; // the result list at the end of the record
};

// A verified record, as the record sheet shows it.
struct RecordSummary
{
    QString programVersion;
    QString sessionStarted; // UTC
    QString sessionStartedLocal;
    std::array<CategoryDraws, CategoryCount> categories;
    int lines = 0;
    int events = 0;
    int shuffles = 0; // shuffles recomputed from their seeds, those of the starts included
    int starts = 0;
    int stops = 0;
    QString checkCode;
};

} // namespace pelorin::record
