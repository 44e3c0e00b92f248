#include "defaults.h"

#include "codepage.h"
#include "textfields.h"

#include <algorithm>
#include <cstring>

namespace vkm {
namespace {

template <typename T, std::size_t N>
void fill(T (&a)[N], int32_t v)
{
    if constexpr (std::is_array_v<T>) {
        for (auto& row : a)
            fill(row, v);
    } else {
        std::fill(std::begin(a), std::end(a), v);
    }
}

void setPreset(SettingsRecord& r, const TextField& f, const char16_t* text)
{
    const QByteArray b = toCp1251(QString::fromUtf16(text));
    setTextBytes(r, f, reinterpret_cast<const uint8_t*>(b.constData()), int(b.size()));
}

const TextField& field(const char* name)
{
    for (const auto& f : kTextFields)
        if (std::strcmp(f.name, name) == 0)
            return f;
    std::abort();
}

} // namespace

void ResetDefaults(SettingsRecord& r)
{
    fill(r.ChannelUse, 0);
    fill(r.InputFilterMs, 0);
    fill(r.InputShortLevel, 0);
    fill(r.InputBreakLevel, 0);
    fill(r.InputSensorType, 0);
    fill(r.ScaleInMin, 0);
    fill(r.ScaleInMax, 0);
    fill(r.ScaleOutMin, 0);
    fill(r.ScaleOutMax, 0);
    fill(r.InputRelay, kNone);
    fill(r.InputCorrection, kNone);

    fill(r.CurvePoints, 0);
    std::memset(r.CurveReserved, 0, sizeof r.CurveReserved);

    fill(r.FormulaUse, 0);
    fill(r.FormulaOperation, 0);
    fill(r.FormulaOperands, 0);
    fill(r.FormulaConstant, 0);
    fill(r.FormulaFirstOperand, kNone);

    r.DisplayLoadSource = kNone;
    r.DisplayOutreachSource = kNone;
    r.DisplayLimitSource = kNone;

    fill(r.PointParam, kNone);
    fill(r.PointRelay, kNone);
    fill(r.PointLevelSource, kNone);
    fill(r.PointCondition, 0);
    fill(r.PointLevel, 0);
    fill(r.PointHysteresis, 0);
    fill(r.PointOnDelayMs, 0);
    fill(r.PointOffDelayMs, 0);
    for (int p = 0; p < 16; ++p)
        for (int n = 0; n < 16; ++n) {
            r.PointInputMask[p][n] = 0;
            r.PointInputState[p][n] = 0;
        }

    fill(r.OutputSource, kNone);
    fill(r.OutputInputMask, 0);
    fill(r.OutputInputState, 0);

    fill(r.SwitchUse, 0);
    fill(r.SwitchParam1, kNone);
    fill(r.SwitchParam2, kNone);
    fill(r.SwitchInputMask, 0);
    fill(r.SwitchInputState, 0);

    fill(r.RelayUse, 0);
    fill(r.RelayExtra, 0);
    fill(r.RelayInputMask, 0);
    fill(r.RelayInputState, 0);

    fill(r.CharacteristicInput, kNone);
    fill(r.CharacteristicCorrection, kNone);

    for (const auto& f : kTextFields)
        r.bytes()[f.offset] = 0;
    setPreset(r, field("CraneChanges"), u"не производились");
    setPreset(r, field("RecorderType"), u"встроенный в составе РКС-3");
    setPreset(r, field("RecorderMaker"), u"ООО Кранметрика");
    setPreset(r, field("RecorderInstaller"), u"ООО Кранметрика");
}

void setTextBytes(SettingsRecord& r, const TextField& f, const uint8_t* data, int n)
{
    n = std::clamp(n, 0, f.capacity);
    uint8_t* base = r.bytes() + f.offset;
    base[0] = static_cast<uint8_t>(n);
    if (n > 0)
        std::memcpy(base + 1, data, std::size_t(n));
}

} // namespace vkm
