#include "CliOptions.h"

#include <utility>

namespace scriva::cli {

CliOptions::CliOptions(QString usage, std::vector<CliOption> options, int minArgs, int maxArgs)
    : m_usage(std::move(usage)), m_options(std::move(options)), m_minArgs(minArgs),
      m_maxArgs(maxArgs)
{
}

CliOptions& CliOptions::Exclusive(const QStringList& names)
{
    m_exclusive.push_back(names);
    return *this;
}

const CliOption* CliOptions::Find(const QString& name) const
{
    for (const CliOption& option : m_options)
        if (option.name == name)
            return &option;
    return nullptr;
}

bool CliOptions::Fail(const QString& why)
{
    m_error = why;
    return false;
}

bool CliOptions::Parse(const QStringList& args)
{
    m_values.clear();
    m_args.clear();
    m_error.clear();
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        // Options are long ones only, so "-5" or "-" is an argument.
        if (optionsEnded || !word.startsWith(QLatin1String("--"))) {
            optionsEnded = optionsEnded || m_optionsFirst;
            m_args << word;
            continue;
        }
        if (word == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? word : word.left(equals);
        const CliOption* option = Find(name);
        if (option == nullptr)
            return Fail(QStringLiteral("unknown option '%1'; usage: %2").arg(name, m_usage));
        if (Has(name) && !option->repeatable)
            return Fail(QStringLiteral("%1 is given twice").arg(name));
        QString value;
        if (option->value.isEmpty()) {
            if (equals >= 0)
                return Fail(QStringLiteral("%1 takes no value").arg(name));
        } else if (equals >= 0) {
            value = word.mid(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return Fail(QStringLiteral("%1 needs a value (%2)").arg(name, option->value));
        }
        m_values[name] = value;
    }
    for (const QStringList& group : m_exclusive) {
        QStringList given;
        for (const QString& name : group)
            if (Has(name))
                given << name;
        if (given.size() > 1)
            return Fail(
                QStringLiteral("%1 and %2 cannot be given together").arg(given[0], given[1]));
    }
    if (m_args.size() < m_minArgs || (m_maxArgs >= 0 && m_args.size() > m_maxArgs))
        return Fail(QStringLiteral("usage: %1").arg(m_usage));
    return true;
}

QString CliOptions::Value(const QString& name, const QString& fallback) const
{
    const auto it = m_values.find(name);
    return it == m_values.end() ? fallback : it->second;
}

bool CliOptions::IntValue(const QString& name, int min, int max, int fallback, int& out)
{
    if (!Has(name)) {
        out = fallback;
        return true;
    }
    bool ok = false;
    const int value = Value(name).toInt(&ok);
    if (!ok || value < min || value > max)
        return Fail(QStringLiteral("%1 takes a whole number from %2 to %3, not '%4'")
                        .arg(name)
                        .arg(min)
                        .arg(max)
                        .arg(Value(name)));
    out = value;
    return true;
}

} // namespace scriva::cli
