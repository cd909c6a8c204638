#include "CConfigEntry.h"

#include <algorithm>
#include <limits>

namespace {

// Settings numbers were historically read from a 20-byte buffer.
constexpr int kIntCharLimit = 19;

bool isTokenDelimiter(QChar c)
{
    return c == u',' || c == u'\n' || c == u'\r' || c == u'\t';
}

bool isCSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

} // namespace

void CConfigEntry::Set(const QString& value, const QString& comment)
{
    m_value = value;
    m_comment = comment;
    m_tokens = SplitTokens(value);
}

QString CConfigEntry::GetToken(int index) const
{
    if (index < 0 || index >= m_tokens.size())
        return QString();
    return m_tokens.at(index);
}

int32_t CConfigEntry::GetTokenInt(int index, int32_t& out) const
{
    out = ParseInt(GetToken(index));
    return out;
}

QStringList CConfigEntry::SplitTokens(const QString& value)
{
    QStringList tokens;
    const qsizetype n = value.size();
    qsizetype pos = 0;
    while (pos < n) {
        while (pos < n && isTokenDelimiter(value.at(pos)))
            ++pos;
        if (pos >= n)
            break;
        qsizetype end = pos + 1;
        while (end < n && !isTokenDelimiter(value.at(end)))
            ++end;
        tokens.append(value.mid(pos, end - pos));
        pos = end;
    }
    return tokens;
}

int32_t CConfigEntry::ParseInt(const QString& text)
{
    const qsizetype n = std::min<qsizetype>(text.size(), kIntCharLimit);
    qsizetype i = 0;
    while (i < n && isCSpace(text.at(i)))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    // Accumulate as a negative number so the 32-bit minimum needs no special case;
    // 19 digits never overflow 64 bits once the value is clamped on the way.
    constexpr int64_t lowest = std::numeric_limits<int32_t>::min();
    int64_t acc = 0;
    for (; i < n && text.at(i) >= u'0' && text.at(i) <= u'9'; ++i) {
        acc = acc * 10 - (text.at(i).unicode() - u'0');
        if (acc < lowest - 1)
            acc = lowest - 1;
    }
    if (negative)
        return acc < lowest ? std::numeric_limits<int32_t>::min() : static_cast<int32_t>(acc);
    const int64_t positive = -acc;
    if (positive > std::numeric_limits<int32_t>::max())
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(positive);
}
