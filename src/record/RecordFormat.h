#pragma once

#include "model/SessionChange.h"

#include <QByteArray>
#include <QJsonValue>
#include <QString>
#include <initializer_list>
#include <optional>

// The draw record: a text file of JSON Lines, one object per line, each line ending in a line feed.
//
// The README's section "The draw record" is the whole of the format; in short:
//
//   line 1      the header: {"format":"pelorin-draw-record","formatVersion":2,"program":...,
//               "programVersion":...,"sessionStarted":<UTC>,"sessionStartedLocal":<local>,"written":<UTC>}
//   lines 2..   one event per command that changed anything, in the order they happened:
//               {"prev":<hash of the line before>,"seq":n,"kind":...,"category":c,"categoryName":...,
//                "time":<UTC>,"localTime":<local>,"details":{...},"changes":[...],"fields":[...]}
//   last line   {"end":true,"events":<number of event lines>,"prev":<hash of the line before>}
//
// A hash is the SHA-256 of a line's bytes without its line feed, in lower-case hexadecimal. The check code
// of a record is the hash of its last line. Every line is written as Qt writes a compact JSON object (keys
// in sorted order, no spaces), and a verifier refuses any other spelling, so that no byte can change
// unnoticed.
//
// A change is {"op":"append"|"remove"|"clear"|"replace","category":c,"list":"candidates"|"results"|"history",
// "names":[...]} ("remove" also has "index"; "clear" names what it removed), or {"op":"shuffle",
// "category":c,"list":"candidates"}: the list shuffled with the picks of details.shuffleSeed, recomputed
// rather than written out. Each kind of command may make only its own changes. Version 1 records differ in
// the fingerprint and in what a stop records; they are still read.
namespace pelorin::record {

inline constexpr char FormatName[] = "pelorin-draw-record";
constexpr int FormatVersion = 2;
constexpr int FirstFormatVersion = 1;
// No line of a record is longer; a longer one means the file is no record.
constexpr qint64 MaxLineBytes = 16 * 1024 * 1024;

QString listName(ListKind kind);
std::optional<ListKind> listKindOf(const QString& name);
QString opName(ListChange::Type type);

// The hash of one line, without its line feed.
QString lineHash(const QByteArray& line);
// The compact form every line must take.
QByteArray canonicalLine(const QJsonObject& object);
// Whether object has these keys and no others.
bool hasExactly(const QJsonObject& object, std::initializer_list<const char*> keys);

// Times as written: UTC with milliseconds ("2026-12-08T07:30:00.125Z"), and local time with its offset.
QString utcText(const QDateTime& time);
QString localText(const QDateTime& time);
// The time a UTC text spelled exactly as utcText writes it gives, and a local text as localText writes it
// (with its own offset); invalid for any other spelling.
QDateTime utcFromText(const QString& text);
QDateTime localFromText(const QString& text);
// 64 lower-case hexadecimal digits: the one spelling of a hash, a seed or a fingerprint.
bool isHex64(const QString& text);
// A whole number within the range JSON numbers hold exactly; nullopt for anything else.
std::optional<qint64> wholeNumber(const QJsonValue& value);

// The wheel's arithmetic, in whole numbers. Positions count in steps of 1/count degree.
namespace wheelsteps {
// The sector (1..count) under position >= 0: sector k holds the steps [360k, 360(k+1)) of a lap, and the
// first stretch of a lap is sector count.
int sectorAt(qint64 position, int count);
// Whether the rolling pointer, which moves speed degrees a tick and goes back to 0 from 360 or more, ever
// stands at angle: a multiple of speed from speed up to the first multiple of 360 or more.
bool isRollingAngle(qint64 angle, int speed);
// The last angle the rolling pointer stood at, up to and including angle, that is in a sector: the name box
// shows that sector. angle must be a rolling angle.
qint64 shownAngle(qint64 angle, int speed, int count);
} // namespace wheelsteps

} // namespace pelorin::record
