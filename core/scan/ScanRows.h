#pragma once
// What a bus scan found: one row per module, with what its registers 100..102 say and what the
// scan saw, kept in address order; and the rows as CSV or tab-separated text.
#include <QString>
#include <QStringList>
#include <vector>

#include "core/modules/ModuleParameters.h"
#include "core/modules/ParameterCodes.h"

struct ScanRow {
    int address = 0;             // the address it answered at
    SerialCandidate heardAt;     // the line settings it answered at
    bool readable = true;        // false: something answered, but not with a module's read reply
    ModuleParameters registers;  // registers 100..102 (readable rows)
    QString problem;             // unreadable rows: why ("exception 02", "bad CRC")
    int responseMs = 0;          // from the request written to the reply's first byte
    bool slow = false;           // its reply came after the wait, while a later address was probed

    // Its code names no settings, or other settings than it answered at, or register 100
    // differs from the address it answered at.
    bool Mismatch() const;
    // Shown marked: a mismatch, something that is not a module's reply, or a slow module.
    bool Flagged() const { return Mismatch() || !readable || slow; }
};

class ScanRows {
  public:
    // Adds a row in address order. A module heard again at other settings (a line that cannot
    // tell even from no parity) stays one row, at the settings its code names when that is one
    // of them. Returns false when the row was folded into one already there.
    bool Add(const ScanRow& row);
    void Clear() { rows_.clear(); }
    const std::vector<ScanRow>& Rows() const { return rows_; }

    // The columns in the current language, and a row's cells in the same order.
    static QStringList Columns();
    static QStringList Cells(const ScanRow& row);
    // Header and rows as CSV (UTF-8 text, CR LF, fields quoted where needed).
    QString Csv() const;
    // The chosen rows (indexes) as tab-separated lines with the header, for the clipboard.
    QString Tsv(const std::vector<int>& indexes) const;

  private:
    std::vector<ScanRow> rows_;
};
