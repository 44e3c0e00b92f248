#include "describe.h"

#include "codepage.h"
#include "textfields.h"

namespace vkm {
namespace {

struct Out {
    QStringList lines;

    void scalar(const char* name, int32_t v) { lines << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(v); }
    template <std::size_t N>
    void array(const char* name, const int32_t (&a)[N])
    {
        for (std::size_t i = 0; i < N; ++i)
            lines << QStringLiteral("%1[%2]=%3").arg(QLatin1String(name)).arg(i).arg(a[i]);
    }
    template <std::size_t R, std::size_t C>
    void table(const char* name, const int32_t (&a)[R][C])
    {
        for (std::size_t r = 0; r < R; ++r)
            for (std::size_t c = 0; c < C; ++c)
                lines << QStringLiteral("%1[%2][%3]=%4").arg(QLatin1String(name)).arg(r).arg(c).arg(a[r][c]);
    }
    void hex(const QString& name, const uint8_t* p, int n)
    {
        lines << name + QLatin1Char('=') + QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(p), n).toHex());
    }
};

QString quoted(const QString& s)
{
    QString out = QStringLiteral("\"");
    for (QChar c : s) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + c;
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

} // namespace

QStringList describeSettings(const SettingsRecord& r)
{
    Out o;
#define ARR(f) o.array(#f, r.f)
#define TAB(f) o.table(#f, r.f)
    ARR(ChannelUse); ARR(InputFilterMs); ARR(InputShortLevel); ARR(InputBreakLevel);
    ARR(InputRelay); ARR(InputSensorType); ARR(ScaleInMin); ARR(ScaleInMax);
    ARR(ScaleOutMin); ARR(ScaleOutMax); ARR(InputCorrection);
    for (int c = 0; c < 10; ++c)
        for (int p = 0; p < 20; ++p)
            o.lines << QStringLiteral("CurvePoints[%1][%2]=%3,%4").arg(c).arg(p)
                           .arg(r.CurvePoints[c][p][0]).arg(r.CurvePoints[c][p][1]);
    for (int c = 0; c < 10; ++c)
        for (int p = 0; p < 20; ++p)
            o.hex(QStringLiteral("CurveReserved[%1][%2]").arg(c).arg(p), r.CurveReserved[c][p], 16);
    ARR(FormulaUse); ARR(FormulaOperation); TAB(FormulaOperands); ARR(FormulaConstant);
    ARR(FormulaFirstOperand);
    o.scalar("DisplayLoadSource", r.DisplayLoadSource);
    o.scalar("DisplayOutreachSource", r.DisplayOutreachSource);
    o.scalar("DisplayLimitSource", r.DisplayLimitSource);
    ARR(PointParam); ARR(PointCondition); ARR(PointRelay); ARR(PointLevel);
    ARR(PointLevelSource); ARR(PointHysteresis); ARR(PointOnDelayMs); ARR(PointOffDelayMs);
    TAB(PointInputMask); TAB(PointInputState);
    ARR(OutputSource); TAB(OutputInputMask); TAB(OutputInputState);
    ARR(SwitchUse); ARR(SwitchParam1); ARR(SwitchParam2); TAB(SwitchInputMask); TAB(SwitchInputState);
    ARR(RelayUse); ARR(RelayExtra); TAB(RelayInputMask); TAB(RelayInputState);
    for (int i = 0; i < 336; i += 16)
        o.hex(QStringLiteral("Reserved[%1]").arg(i), r.Reserved + i, 16);
    ARR(CharacteristicInput); ARR(CharacteristicCorrection);
#undef ARR
#undef TAB
    for (const auto& f : kTextFields) {
        const TextView t = textAt(r, f);
        o.lines << QLatin1String(f.name) + QLatin1Char('=')
                       + quoted(fromCp1251(reinterpret_cast<const char*>(t.chars()), t.length()));
    }
    o.hex(QStringLiteral("Filler"), r.Filler, 3);
    return o.lines;
}

} // namespace vkm
