#pragma once
// One key of the settings store: its value, the comment that followed it on the
// key line, and the value split into tokens at ",\n\r\t". A plain value type.

#include <QString>
#include <QStringList>
#include <cstdint>

class CConfigEntry
{
public:
    // Stores value and comment and recomputes the tokens.
    void Set(const QString& value, const QString& comment);

    QString GetToken(int index) const;         // empty when out of range
    int32_t GetTokenInt(int index, int32_t& out) const;

    const QString& Value() const { return m_value; }
    const QString& Comment() const { return m_comment; }
    const QStringList& Tokens() const { return m_tokens; }

    // The token splitter: runs of delimiters give no empty tokens, spaces are kept.
    static QStringList SplitTokens(const QString& value);

private:
    QString m_value;
    QString m_comment;
    QStringList m_tokens;
};
