#pragma once
// The module's one-byte parameter code (baud rate and parity, register 101) both ways, the entry
// texts that show a parameter set, and the candidate settings the search tries in turn.
#include <QString>
#include <QStringList>
#include <vector>

// A baud rate and a parity letter 'N', 'O' or 'E'; data bits 8 and stop bits 1 are implied.
struct SerialCandidate {
    int baud = 0;
    char parity = 'N';
    bool operator==(const SerialCandidate&) const = default;
};

namespace ParameterCodes {
// Number of candidates the search tries: 30 with the full lists, 8 with the short ones.
int CandidateCount(bool fullLists);
// Candidate of a search step; a step outside the table gives the first candidate.
SerialCandidate SearchCandidate(int step, bool fullLists);
// Every candidate in the search's order: what a scan of all settings tries.
std::vector<SerialCandidate> SearchCandidates(bool fullLists);

// "9600,None,8,1" / "115200,E(偶校验),8,1": the baud rate, the tagged parity word of the
// current language, ",8,1".
QString EntryText(const SerialCandidate& candidate);
// The entries of the parameter list, in code order.
QStringList Entries(bool fullLists);
// The plain parity word of the panel's parity list ("None" / "无校验").
QString ParityWord(char parity);

// The settings of a code: 100..129 (full) or 1..8 (short); nothing for any other value.
bool CandidateOfCode(int code, SerialCandidate* candidate);
// Entry text of a code read from a module; empty for a code outside both tables.
QString EntryOfCode(int code);
// The code to write for an entry text: its full code 100..129, or for the eight short-list
// entries their short code 1..8 while the short lists are in force; 0 when no entry matches.
int CodeOfEntry(const QString& text, bool fullLists);
}  // namespace ParameterCodes
