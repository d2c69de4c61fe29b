#pragma once

#include <QStringList>

namespace pelorin::test {

// The exclusion done the slow, obvious way: for every history name, scan the candidates from the top and
// remove the first equal one. The reference the fast version must agree with.
inline QStringList excludeHistoryByScan(QStringList candidates, const QStringList& history)
{
    const qsizetype historyCount = history.size();
    for (qsizetype h = 0; h < historyCount; ++h) {
        const qsizetype candidateCount = candidates.size();
        for (qsizetype c = 0; c < candidateCount; ++c) {
            if (candidates.at(c) == history.at(h)) {
                candidates.removeAt(c);
                break;
            }
        }
    }
    return candidates;
}

} // namespace pelorin::test
