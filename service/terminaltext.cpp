#include "service/terminaltext.h"

#include "core/rules.h"

#include <stdexcept>

namespace vkm {

namespace {
bool isHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))
        || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

// "$" and hexadecimal digits, or decimal digits alone. Values past 32 bits
// do not convert.
uint32_t convert(const QString& filtered)
{
    bool ok = false;
    qulonglong v = 0;
    if (filtered.startsWith(QLatin1Char('$')))
        v = filtered.mid(1).toULongLong(&ok, 16);
    else
        v = filtered.toULongLong(&ok, 10);
    // toULongLong accepts a sign or blanks the filter has already removed;
    // what is left must be all digits of the base.
    if (!ok || v > 0xFFFFFFFFull)
        throw std::runtime_error(notAnIntegerMessage(filtered).toStdString());
    return static_cast<uint32_t>(v);
}
} // namespace

QString filterHexText(const QString& text)
{
    QString out;
    for (const QChar c : text)
        if (c == QLatin1Char('$') || isHexDigit(c))
            out.append(c);
    return out;
}

uint32_t terminalAddress(const QString& text)
{
    return convert(filterHexText(text));
}

uint32_t terminalValue(const QString& text)
{
    return convert(QLatin1Char('$') + filterHexText(text));
}

QString HexToBinaryText(const QString& text)
{
    QString out;
    for (const QChar c : text.toUpper()) {
        if (!isHexDigit(c))
            continue;
        const int v = QString(c).toInt(nullptr, 16);
        out += QStringLiteral("%1 ").arg(v, 4, 2, QLatin1Char('0'));
    }
    return out;
}

QString terminalWordText(uint16_t word)
{
    return QStringLiteral("%1  (%2)").arg(word, 4, 16, QLatin1Char('0')).toUpper().arg(word);
}

} // namespace vkm
