#pragma once

#include "record/RecordSummary.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace pelorin::record {

// The printed record sheet, as texts in reading order; the printer lays them out on pages.
struct RecordSheet
{
    struct Row
    {
        QString number; // 序号
        QString name; // 摇中名称
        QString stopTime; // 停止时间
        QString sector; // "12 / 2000": sector and candidates on the wheel
        QString detail; // a small line under the row: the candidate list's fingerprint
    };
    struct Section
    {
        QString heading; // "一、重点企业"
        QStringList facts; // source, number of candidates
        std::vector<Row> rows;
        QString note;
    };

    QString title;
    QStringList subtitle;
    QStringList columns; // headings of the four row columns
    std::vector<Section> sections;
    QStringList closing; // record file, check code, how to verify
    QStringList signatures;
};

// The sheet of a verified record written as recordFileName.
RecordSheet buildSheet(const RecordSummary& summary, const QString& recordFileName);

// What a witnessed draw's commitment binds, before the witnesses speak (摇号前公告): one page to sign.
struct Notice
{
    Category category = 0;
    QString source; // where the candidates came from
    int candidates = 0;
    int draws = 0;
    QString fingerprint;
    QString commitment;
    QString time; // local, as shown
};
RecordSheet noticeSheet(const Notice& notice);

} // namespace pelorin::record
