#include "rules.h"

#include <QLocale>

#include <cfenv>
#include <cmath>
#include <limits>

namespace vkm {

int listIndexForCode(int32_t code, int itemCount)
{
    if (code == 255)
        return itemCount > 0 ? 0 : -1;
    if (code < 0 || code + 1 >= itemCount)
        return -1;
    return code + 1;
}

int32_t codeForListIndex(int index)
{
    return index == 0 ? 255 : index - 1;
}

int32_t roundHalfEven(double v)
{
    // nearbyint follows the current rounding mode; round-to-nearest (the
    // default, and what we set here) sends halves to the even neighbour.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    double r = std::nearbyint(v);
    std::fesetround(saved);
    if (r > std::numeric_limits<int32_t>::max())
        r = std::numeric_limits<int32_t>::max();
    if (r < std::numeric_limits<int32_t>::min())
        r = std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(r);
}

int32_t scaleDecimal(double value, int factor)
{
    // A typed value has far fewer than the 15 significant digits a double
    // holds, so the product is taken to millionths first: that removes the
    // binary representation's error and leaves exact halves exact.
    const double scaled = value * factor;
    if (std::fabs(scaled) < 1e9)
        return roundHalfEven(std::round(scaled * 1e6) / 1e6);
    return roundHalfEven(scaled);
}

std::optional<double> parseDecimal(const QString& text)
{
    bool ok = false;
    const double v = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> parseInteger(const QString& text)
{
    bool ok = false;
    const int v = QLocale().toInt(text.trimmed(), &ok);
    if (!ok)
        return std::nullopt;
    return v;
}

QString formatFixed2(double v)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    return loc.toString(v, 'f', 2);
}

QString notAnIntegerMessage(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString notAFloatMessage(const QString& text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

} // namespace vkm
