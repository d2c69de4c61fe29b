#pragma once

#include "model/ShuffleSeed.h"

#include <QString>
#include <optional>

namespace pelorin {

// The seed of a witnessed draw (见证摇号). The program draws a secret and shows its commitment before the
// witnesses give their text; only then is the secret shown, and the seed follows from both, so neither
// the program nor the witnesses alone can choose it:
//
//   seed = SHA-256( "pelorin-witnessed-draw-v1" 0x00 | secret (32 bytes)
//                   | length of the text's UTF-8 as 4 bytes big-endian | the text's UTF-8
//                   | the list fingerprint's 32 bytes )
//
// commitment = SHA-256(secret). Every pick of the opening is taken from the seed's stream (SeededStream).
namespace witness {

inline constexpr char Label[] = "pelorin-witnessed-draw-v1";
// At least this many digits in the witnesses' text, together: six dice give 6^6 = 46,656 outcomes.
constexpr int MinimumDigits = 6;

// SHA-256 of the secret, 64 lower-case hexadecimal digits.
QString commitmentOf(const ShuffleSeed& secret);
// nullopt when fingerprint is not 64 lower-case hexadecimal digits.
std::optional<ShuffleSeed> seedOf(const ShuffleSeed& secret, const QString& witnessText, const QString& fingerprint);
// The number of decimal digits (0 to 9, full-width ones too) in the witnesses' text.
int digitCount(const QString& witnessText);
// 64 hexadecimal digits as 16 groups of 4, "1a2b 3c4d …", for reading aloud and checking by eye; with
// groupsPerLine, a line break after every so many groups (8 for a message box, 4 beside the wheel).
QString grouped(const QString& hex, int groupsPerLine = 16);

// What a witnessed opening draws from the candidates as they stood at the commitment: for each of draws
// starts, the wheel is the candidates shuffled with the stream's picks, the stop rests on the sector of the
// stream's next pick (1 to the wheel's count), and that name leaves the candidates (the first equal one)
// for the results; then each substitute is the stream's next pick among the names left. The names in the
// order drawn, the substitutes last.
QStringList drawnNames(QStringList candidates, const ShuffleSeed& seed, int draws, int substitutes = 0);

} // namespace witness

} // namespace pelorin
