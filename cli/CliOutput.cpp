#include "cli/CliOutput.h"

#include <QStringDecoder>

#include "core/record/CsvFile.h"

QString CsvText(const QByteArray& csv) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(csv);
}

QString JsonString(const QString& text) {
    QString json = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
            case '"':
                json += QStringLiteral("\\\"");
                break;
            case '\\':
                json += QStringLiteral("\\\\");
                break;
            case '\n':
                json += QStringLiteral("\\n");
                break;
            case '\r':
                json += QStringLiteral("\\r");
                break;
            case '\t':
                json += QStringLiteral("\\t");
                break;
            default:
                if (c.unicode() < 0x20)
                    json += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
                else
                    json += c;
        }
    }
    return json + QLatin1Char('"');
}

CliOutput::CliOutput(QTextStream& out, OutputFormat format, QStringList columns)
    : out_(out), format_(format), columns_(std::move(columns)) {}

void CliOutput::Begin() {
    if (begun_) return;
    begun_ = true;
    if (format_ == OutputFormat::Csv) out_ << CsvText(Csv::Header(columns_));
    out_.flush();
}

void CliOutput::Row(const QStringList& cells) {
    Row(cells, cells.join(QStringLiteral("  ")));
}

void CliOutput::Row(const QStringList& cells, const QString& text) {
    Begin();
    switch (format_) {
        case OutputFormat::Text:
            out_ << text << '\n';
            break;
        case OutputFormat::Csv:
            out_ << CsvText(Csv::Line(cells));
            break;
        case OutputFormat::Json: {
            QStringList members;
            for (int i = 0; i < columns_.size(); ++i)
                members << JsonString(columns_[i]) + ':' + JsonString(cells.value(i));
            out_ << '{' << members.join(',') << "}\n";
            break;
        }
    }
    out_.flush();
}
