#pragma once
// CliOptions: the one option parser of every scriva-cli command, so the same mistake gets the
// same words whatever the command. A command lists its options (flags and options that take a
// value), which of them exclude each other, and how many plain arguments it takes; Parse then
// refuses unknown options, a missing value, an option given twice, excluding options together
// and a wrong count of arguments. Options are long ("--out"); "--" ends them (later words are
// arguments, even when they start with "--"); "--name=value" is the same as "--name value".
// One thread.

#include <QString>
#include <QStringList>

#include <map>
#include <vector>

namespace scriva::cli {

struct CliOption
{
    QString name;            // with its dashes: "--out"
    QString value;           // what the value is, for messages ("FILE"); empty for a flag
    bool repeatable = false; // may be given more than once (the last value counts)
};

class CliOptions
{
public:
    // usage: the command's one-line usage, added to messages about the command line's shape.
    // minArgs/maxArgs: how many plain arguments; maxArgs < 0 for no limit.
    CliOptions(QString usage, std::vector<CliOption> options, int minArgs, int maxArgs);

    // At most one of these may be given.
    CliOptions& Exclusive(const QStringList& names);
    // Options only before the first argument: later words are arguments whatever they look
    // like (for commands whose last argument is a free value).
    CliOptions& OptionsFirst()
    {
        m_optionsFirst = true;
        return *this;
    }

    // False with the reason in Error() (one line, no program name).
    bool Parse(const QStringList& args);

    bool Has(const QString& name) const { return m_values.count(name) != 0; }
    QString Value(const QString& name, const QString& fallback = QString()) const;
    // The option's value as a whole number within [min, max]; fallback when not given. False
    // with the reason in Error() for anything else.
    bool IntValue(const QString& name, int min, int max, int fallback, int& out);
    const QStringList& Args() const { return m_args; }
    const QString& Error() const { return m_error; }
    const QString& Usage() const { return m_usage; }

private:
    bool Fail(const QString& why);
    const CliOption* Find(const QString& name) const;

    QString m_usage;
    std::vector<CliOption> m_options;
    std::vector<QStringList> m_exclusive;
    int m_minArgs;
    int m_maxArgs;
    bool m_optionsFirst = false;
    std::map<QString, QString> m_values;
    QStringList m_args;
    QString m_error;
};

} // namespace scriva::cli
