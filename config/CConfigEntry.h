#pragma once
// One key of the settings store: its value, the comment that followed it on the
// key line, and the value split into tokens at ",\n\r\t". A plain value type,
// copied freely; not shared between threads.

#include <QString>
#include <QStringList>
#include <cstdint>

class CConfigEntry
{
public:
    // Stores value and comment and recomputes the tokens.
    void Set(const QString& value, const QString& comment);

    QString GetToken(int index) const; // empty when out of range
    int32_t GetTokenInt(int index, int32_t& out) const;

    const QString& Value() const { return m_value; }
    const QString& Comment() const { return m_comment; }
    const QStringList& Tokens() const { return m_tokens; }

    // The token splitter: runs of delimiters give no empty tokens, spaces are kept.
    static QStringList SplitTokens(const QString& value);

    // Reads a leading decimal integer from the first 19 characters of text:
    // leading white space, an optional sign, digits; 0 when there are none.
    // Results beyond the 32-bit range saturate at its limits.
    static int32_t ParseInt(const QString& text);

private:
    QString m_value;
    QString m_comment;
    QStringList m_tokens;
};
