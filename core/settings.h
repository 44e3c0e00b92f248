#pragma once
// The settings block: one fixed-layout record of 15072 bytes that is also the
// body of a settings file. Every number is a little-endian int32; texts are a
// length byte followed by their characters in code page 1251.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace vkm {

static_assert(std::endian::native == std::endian::little,
              "the settings block is used in place and is little-endian");

// A text of capacity N: a length byte and N characters. Any byte may stand in
// the length (a file is taken as it is), so readers go through length().
template <int N>
struct PascalText {
    uint8_t len;
    uint8_t chars[N];

    static constexpr int capacity = N;
    int length() const { return len > N ? N : len; }
};

struct SettingsRecord {
    // Channels: slots 0..7 analog inputs, 8 and 9 analog outputs.
    int32_t ChannelUse[10];
    int32_t InputFilterMs[10];
    int32_t InputShortLevel[10];
    int32_t InputBreakLevel[10];
    int32_t InputRelay[10];
    int32_t InputSensorType[10];
    int32_t ScaleInMin[10];
    int32_t ScaleInMax[10];
    int32_t ScaleOutMin[10];
    int32_t ScaleOutMax[10];
    int32_t InputCorrection[10];

    // Curves: point p of curve c is CurvePoints[c][p][0] (X) and [1] (Y), x100.
    int32_t CurvePoints[10][20][2];
    uint8_t CurveReserved[10][20][16];

    // Formulas.
    int32_t FormulaUse[16];
    int32_t FormulaOperation[16];
    int32_t FormulaOperands[16][33];
    int32_t FormulaConstant[16];
    int32_t FormulaFirstOperand[16];

    // Display.
    int32_t DisplayLoadSource;
    int32_t DisplayOutreachSource;
    int32_t DisplayLimitSource;

    // Switch points.
    int32_t PointParam[16];
    int32_t PointCondition[16];
    int32_t PointRelay[16];
    int32_t PointLevel[16];
    int32_t PointLevelSource[16];
    int32_t PointHysteresis[16];
    int32_t PointOnDelayMs[16];
    int32_t PointOffDelayMs[16];
    int32_t PointInputMask[17][17];
    int32_t PointInputState[17][17];

    // Analog outputs.
    int32_t OutputSource[3];
    int32_t OutputInputMask[3][16];
    int32_t OutputInputState[3][16];

    // Switches.
    int32_t SwitchUse[9];
    int32_t SwitchParam1[9];
    int32_t SwitchParam2[9];
    int32_t SwitchInputMask[9][16];
    int32_t SwitchInputState[9][16];

    // Relays.
    int32_t RelayUse[16];
    int32_t RelayExtra[16];
    int32_t RelayInputMask[16][16];
    int32_t RelayInputState[16][16];

    uint8_t Reserved[336];

    // Characteristics.
    int32_t CharacteristicInput[10];
    int32_t CharacteristicCorrection[10];

    // Identification strings.
    PascalText<20> CraneType;
    PascalText<20> CraneSerial;
    PascalText<10> CraneYear;
    PascalText<30> CraneMaker;
    PascalText<40> CraneOwner;
    PascalText<20> CraneCapacity;
    PascalText<10> CraneClass;
    PascalText<10> CraneServiceLife;
    PascalText<10> CraneCommissioned;
    PascalText<20> CraneChanges;
    PascalText<30> RecorderType;
    PascalText<10> RecorderSerial;
    PascalText<10> RecorderYear;
    PascalText<20> RecorderMaker;
    PascalText<20> RecorderInstaller;
    PascalText<10> RecorderInstalled;
    PascalText<70> CraneExecution;
    uint8_t Filler[3];

    uint8_t* bytes() { return reinterpret_cast<uint8_t*>(this); }
    const uint8_t* bytes() const { return reinterpret_cast<const uint8_t*>(this); }
};

inline constexpr std::size_t kSettingsSize = 15072;
// The previous layout: the same fields up to the identification strings.
inline constexpr std::size_t kLegacySize = 14696;
inline constexpr std::size_t kLegacyCarriedSize = 14692;
// Image buffers are one byte longer than the 2048-byte EEPROM image plus a
// spare half; transfers use 2048 bytes, the export 2049.
inline constexpr std::size_t kImageBufferSize = 4097;
inline constexpr std::size_t kImageSize = 2048;
inline constexpr std::size_t kExportSize = 2049;

using ImageBuffer = std::array<uint8_t, kImageBufferSize>;
using LegacyBuffer = std::array<uint8_t, kLegacySize>;

static_assert(sizeof(SettingsRecord) == kSettingsSize);
static_assert(alignof(SettingsRecord) == 4);

#define VKM_AT(field, offset) static_assert(offsetof(SettingsRecord, field) == (offset), #field)
VKM_AT(ChannelUse, 0);
VKM_AT(InputFilterMs, 40);
VKM_AT(InputShortLevel, 80);
VKM_AT(InputBreakLevel, 120);
VKM_AT(InputRelay, 160);
VKM_AT(InputSensorType, 200);
VKM_AT(ScaleInMin, 240);
VKM_AT(ScaleInMax, 280);
VKM_AT(ScaleOutMin, 320);
VKM_AT(ScaleOutMax, 360);
VKM_AT(InputCorrection, 400);
VKM_AT(CurvePoints, 440);
VKM_AT(CurveReserved, 2040);
VKM_AT(FormulaUse, 5240);
VKM_AT(FormulaOperation, 5304);
VKM_AT(FormulaOperands, 5368);
VKM_AT(FormulaConstant, 7480);
VKM_AT(FormulaFirstOperand, 7544);
VKM_AT(DisplayLoadSource, 7608);
VKM_AT(DisplayOutreachSource, 7612);
VKM_AT(DisplayLimitSource, 7616);
VKM_AT(PointParam, 7620);
VKM_AT(PointCondition, 7684);
VKM_AT(PointRelay, 7748);
VKM_AT(PointLevel, 7812);
VKM_AT(PointLevelSource, 7876);
VKM_AT(PointHysteresis, 7940);
VKM_AT(PointOnDelayMs, 8004);
VKM_AT(PointOffDelayMs, 8068);
VKM_AT(PointInputMask, 8132);
VKM_AT(PointInputState, 9288);
VKM_AT(OutputSource, 10444);
VKM_AT(OutputInputMask, 10456);
VKM_AT(OutputInputState, 10648);
VKM_AT(SwitchUse, 10840);
VKM_AT(SwitchParam1, 10876);
VKM_AT(SwitchParam2, 10912);
VKM_AT(SwitchInputMask, 10948);
VKM_AT(SwitchInputState, 11524);
VKM_AT(RelayUse, 12100);
VKM_AT(RelayExtra, 12164);
VKM_AT(RelayInputMask, 12228);
VKM_AT(RelayInputState, 13252);
VKM_AT(Reserved, 14276);
VKM_AT(CharacteristicInput, 14612);
VKM_AT(CharacteristicCorrection, 14652);
VKM_AT(CraneType, 14692);
VKM_AT(CraneSerial, 14713);
VKM_AT(CraneYear, 14734);
VKM_AT(CraneMaker, 14745);
VKM_AT(CraneOwner, 14776);
VKM_AT(CraneCapacity, 14817);
VKM_AT(CraneClass, 14838);
VKM_AT(CraneServiceLife, 14849);
VKM_AT(CraneCommissioned, 14860);
VKM_AT(CraneChanges, 14871);
VKM_AT(RecorderType, 14892);
VKM_AT(RecorderSerial, 14923);
VKM_AT(RecorderYear, 14934);
VKM_AT(RecorderMaker, 14945);
VKM_AT(RecorderInstaller, 14966);
VKM_AT(RecorderInstalled, 14987);
VKM_AT(CraneExecution, 14998);
VKM_AT(Filler, 15069);
#undef VKM_AT

// Marker of "not assigned" in every code field (lists show "Нет" or "Все").
inline constexpr int32_t kNone = 255;

} // namespace vkm
