#pragma once
// The command line's words: the command, its options and their values, checked the way the
// windows check what a technician types. A refusal names the option and says what it takes.
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

#include "core/modules/ParameterCodes.h"
#include "core/record/RotatingCsv.h"

enum class OutputFormat { Text, Csv, Json };

class CliOptions {
  public:
    // Splits `args` (the words after the program's name, the command first) into options;
    // false with the message when an option is unknown to `command`, given twice or lacks its
    // value. `--name=value` and `--name value` are both taken.
    bool Parse(const QStringList& args, QString* error);

    QString Command() const { return command_; }
    bool Has(const QString& name) const { return values_.contains(name); }
    QString Value(const QString& name) const { return values_.value(name); }

    // The checked values; each gives false with the message naming the option when the text
    // is not what the option takes. A missing option gives `fallback` (or a refusal when
    // `fallback` is empty and the option is required).
    bool Int(const QString& name, int low, int high, std::optional<int> fallback, int* value,
             QString* error) const;
    bool Address(const QString& name, std::optional<int> fallback, int* value,
                 QString* error) const {
        return Int(name, 1, 247, fallback, value, error);
    }
    // A number with a decimal point allowed, from `low` to `high`.
    bool Decimal(const QString& name, double low, double high, double fallback, double* value,
                 QString* error) const;
    bool Port(QString* port, QString* error) const;
    // --baud and --parity; either alone keeps the other's default (9600, N).
    bool Settings(const QString& baudName, const QString& parityName, SerialCandidate fallback,
                  SerialCandidate* settings, QString* error) const;
    bool Format(OutputFormat* format, QString* error) const;
    // --rotate-mb and --rotate-midnight: when a recording or log goes on in a new dated file.
    bool Rotation(CsvRotation* rotation, QString* error) const;
    // The language --lang chooses; nothing when it is not given.
    bool Language(std::optional<bool>* english, QString* error) const;

    // The options `command` takes (the ones every command takes included), and which of them are
    // flags; an empty list for a word that is no command.
    static QStringList OptionsOf(const QString& command);
    static bool IsFlag(const QString& option);
    static const QStringList& Commands();

  private:
    QString command_;
    QMap<QString, QString> values_;
};
