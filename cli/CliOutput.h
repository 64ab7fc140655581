#pragma once
// Rows written out as text, CSV or JSON. CSV is what the windows save: UTF-8 with a byte-order
// mark, the same columns, CR LF. JSON is one object per row on a line of its own, keyed by the
// column names, so rows can be read while more come.
#include <QStringList>
#include <QTextStream>

#include "cli/CliOptions.h"

class CliOutput {
  public:
    // `columns` names the cells of every row; text shows rows with the cells separated by two
    // blanks and no header.
    CliOutput(QTextStream& out, OutputFormat format, QStringList columns);
    // The header (CSV), once before the first row; rows call it themselves.
    void Begin();
    void Row(const QStringList& cells);
    // A row whose text form is its own (the window's lines).
    void Row(const QStringList& cells, const QString& text);

  private:
    QTextStream& out_;
    OutputFormat format_;
    QStringList columns_;
    bool begun_ = false;
};

// CSV bytes as text, the byte-order mark kept.
QString CsvText(const QByteArray& csv);
// A JSON string literal of `text`.
QString JsonString(const QString& text);
