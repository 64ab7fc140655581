#include "core/modules/ParameterCodes.h"

#include <array>

#include "base/TextTable.h"

namespace ParameterCodes {
namespace {
constexpr std::array<int, 10> kFullBauds = {1200,  2400,  4800,  9600,  14400,
                                            19200, 28800, 38400, 57600, 115200};
constexpr std::array<char, 3> kFullParities = {'N', 'O', 'E'};
constexpr std::array<int, 4> kShortBauds = {4800, 9600, 19200, 38400};
constexpr std::array<char, 2> kShortParities = {'N', 'E'};
constexpr int kFirstFullCode = 100;
constexpr int kFirstShortCode = 1;

int ShortCode(const SerialCandidate& c) {
    for (int p = 0; p < static_cast<int>(kShortParities.size()); ++p)
        for (int b = 0; b < static_cast<int>(kShortBauds.size()); ++b)
            if (kShortParities[p] == c.parity && kShortBauds[b] == c.baud)
                return kFirstShortCode + 4 * p + b;
    return 0;
}
}  // namespace

int CandidateCount(bool fullLists) {
    return fullLists ? static_cast<int>(kFullBauds.size() * kFullParities.size())
                     : static_cast<int>(kShortBauds.size() * kShortParities.size());
}

std::vector<SerialCandidate> SearchCandidates(bool fullLists) {
    std::vector<SerialCandidate> all;
    for (int step = 0; step < CandidateCount(fullLists); ++step)
        all.push_back(SearchCandidate(step, fullLists));
    return all;
}

SerialCandidate SearchCandidate(int step, bool fullLists) {
    if (step < 0 || step >= CandidateCount(fullLists)) step = 0;
    if (fullLists) return {kFullBauds[step % 10], kFullParities[step / 10]};
    return {kShortBauds[step % 4], kShortParities[step / 4]};
}

QString ParityWord(char parity) {
    switch (parity) {
        case 'O':
            return Tt(TextKey::ParityOdd);
        case 'E':
            return Tt(TextKey::ParityEven);
        default:
            return Tt(TextKey::ParityNone);
    }
}

QString EntryText(const SerialCandidate& candidate) {
    const TextKey word = candidate.parity == 'O'   ? TextKey::ParityOddTagged
                         : candidate.parity == 'E' ? TextKey::ParityEvenTagged
                                                   : TextKey::ParityNoneTagged;
    return QString::number(candidate.baud) + "," + Tt(word) + ",8,1";
}

QStringList Entries(bool fullLists) {
    QStringList entries;
    for (int step = 0; step < CandidateCount(fullLists); ++step)
        entries << EntryText(SearchCandidate(step, fullLists));
    return entries;
}

bool CandidateOfCode(int code, SerialCandidate* candidate) {
    const int fullIndex = code - kFirstFullCode;
    const int shortIndex = code - kFirstShortCode;
    if (fullIndex >= 0 && fullIndex < CandidateCount(true)) {
        *candidate = SearchCandidate(fullIndex, true);
        return true;
    }
    if (shortIndex >= 0 && shortIndex < CandidateCount(false)) {
        *candidate = SearchCandidate(shortIndex, false);
        return true;
    }
    return false;
}

QString EntryOfCode(int code) {
    SerialCandidate candidate;
    return CandidateOfCode(code, &candidate) ? EntryText(candidate) : QString();
}

int CodeOfEntry(const QString& text, bool fullLists) {
    // Every entry ends so: a text that does not names none, without making all thirty.
    if (!text.endsWith(QLatin1String(",8,1"))) return 0;
    for (int step = 0; step < CandidateCount(true); ++step) {
        const SerialCandidate candidate = SearchCandidate(step, true);
        if (EntryText(candidate) != text) continue;
        const int shortCode = ShortCode(candidate);
        return !fullLists && shortCode != 0 ? shortCode : kFirstFullCode + step;
    }
    return 0;
}
}  // namespace ParameterCodes
