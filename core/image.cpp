#include "image.h"

#include "textfields.h"

namespace vkm {
namespace {

// One walk over the layout serves both directions, so packing and unpacking
// cannot disagree about where a field lives.
struct Packer {
    uint8_t* img;

    void byte(int off, const int32_t& v) { img[off] = static_cast<uint8_t>(v); }
    void word(int off, const int32_t& v)
    {
        img[off] = static_cast<uint8_t>(v);
        img[off + 1] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> 8);
    }
    void flags(int off, const int32_t* f, int count)
    {
        uint32_t sum = 0;
        for (int j = 0; j < count; ++j)
            sum += static_cast<uint32_t>(static_cast<uint8_t>(f[j])) << j;
        img[off] = static_cast<uint8_t>(sum);
    }
    void text(const TextField& f, const SettingsRecord& r)
    {
        const TextView t = textAt(r, f);
        const int len = t.length();
        for (int i = 0; i < f.capacity; ++i) {
            const uint8_t c = i < len ? t.chars()[i] : 0x20;
            img[f.imageOffset + i] = c == 0 ? 0x20 : c;
        }
    }
};

struct Unpacker {
    const uint8_t* img;

    void byte(int off, int32_t& v) { v = img[off]; }
    void word(int off, int32_t& v) { v = img[off] | (img[off + 1] << 8); }
    void flags(int off, int32_t* f, int count)
    {
        for (int j = 0; j < count; ++j)
            f[j] = (img[off] >> j) & 1;
    }
    void text(const TextField& f, SettingsRecord& r)
    {
        const uint8_t* src = img + f.imageOffset;
        int len = f.capacity;
        while (len > 0 && src[len - 1] <= 0x20)
            --len;
        setTextBytes(r, f, src, len);
    }
};

template <typename Rec, typename Op>
void walk(Rec& r, Op& op)
{
    op.flags(0, r.ChannelUse, 8);
    op.flags(1, r.ChannelUse + 8, 2);
    for (int i = 0; i < 8; ++i) {
        op.word(2 + 2 * i, r.InputFilterMs[i]);
        op.word(18 + 2 * i, r.InputShortLevel[i]);
        op.word(34 + 2 * i, r.InputBreakLevel[i]);
        op.byte(50 + i, r.InputRelay[i]);
        op.byte(58 + i, r.InputSensorType[i]);
    }
    for (int i = 0; i < 10; ++i) {
        op.word(66 + 2 * i, r.ScaleInMin[i]);
        op.word(86 + 2 * i, r.ScaleInMax[i]);
        op.word(106 + 2 * i, r.ScaleOutMin[i]);
        op.word(126 + 2 * i, r.ScaleOutMax[i]);
        op.byte(146 + i, r.InputCorrection[i]);
    }
    for (int c = 0; c < 10; ++c)
        for (int p = 0; p < 20; ++p) {
            op.word(156 + 80 * c + 4 * p, r.CurvePoints[c][p][0]);
            op.word(158 + 80 * c + 4 * p, r.CurvePoints[c][p][1]);
        }
    for (int f = 0; f < 16; ++f) {
        op.byte(956 + f, r.FormulaUse[f]);
        op.byte(972 + f, r.FormulaOperation[f]);
        for (int k = 0; k < 4; ++k)
            op.flags(988 + 4 * f + k, r.FormulaOperands[f] + 8 * k, 8);
        op.word(1052 + 2 * f, r.FormulaConstant[f]);
        op.byte(1084 + f, r.FormulaFirstOperand[f]);
    }
    op.byte(1100, r.DisplayLoadSource);
    op.byte(1101, r.DisplayOutreachSource);
    for (int p = 0; p < 16; ++p) {
        op.byte(1102 + 2 * p, r.PointParam[p]);
        op.byte(1103 + 2 * p, r.PointCondition[p]);
        op.byte(1134 + p, r.PointRelay[p]);
        op.word(1150 + 2 * p, r.PointLevel[p]);
        op.word(1182 + 2 * p, r.PointHysteresis[p]);
        op.word(1214 + 2 * p, r.PointOnDelayMs[p]);
        op.word(1246 + 2 * p, r.PointOffDelayMs[p]);
        op.flags(1278 + 4 * p, r.PointInputMask[p], 8);
        op.flags(1279 + 4 * p, r.PointInputMask[p] + 8, 8);
        op.flags(1280 + 4 * p, r.PointInputState[p], 8);
        op.flags(1281 + 4 * p, r.PointInputState[p] + 8, 8);
    }
    for (int o = 0; o < 2; ++o) {
        op.byte(1342 + o, r.OutputSource[o]);
        op.flags(1344 + 4 * o, r.OutputInputMask[o], 8);
        op.flags(1345 + 4 * o, r.OutputInputMask[o] + 8, 8);
        op.flags(1346 + 4 * o, r.OutputInputState[o], 8);
        op.flags(1347 + 4 * o, r.OutputInputState[o] + 8, 8);
    }
    for (int s = 0; s < 8; ++s) {
        op.byte(1352 + s, r.SwitchUse[s]);
        op.byte(1360 + s, r.SwitchParam1[s]);
        op.byte(1368 + s, r.SwitchParam2[s]);
        op.flags(1376 + 4 * s, r.SwitchInputMask[s], 8);
        op.flags(1377 + 4 * s, r.SwitchInputMask[s] + 8, 8);
        op.flags(1378 + 4 * s, r.SwitchInputState[s], 8);
        op.flags(1379 + 4 * s, r.SwitchInputState[s] + 8, 8);
    }
    for (int k = 0; k < 16; ++k) {
        op.byte(1408 + k, r.RelayUse[k]);
        op.byte(1424 + k, r.RelayExtra[k]);
        op.flags(1440 + 4 * k, r.RelayInputMask[k], 8);
        op.flags(1441 + 4 * k, r.RelayInputMask[k] + 8, 8);
        op.flags(1442 + 4 * k, r.RelayInputState[k], 8);
        op.flags(1443 + 4 * k, r.RelayInputState[k] + 8, 8);
    }
    op.byte(1504, r.DisplayLimitSource);
    for (int i = 0; i < 8; ++i) {
        op.byte(1505 + i, r.CharacteristicInput[i]);
        op.byte(1513 + i, r.CharacteristicCorrection[i]);
    }
    for (int p = 0; p < 16; ++p)
        op.byte(1521 + p, r.PointLevelSource[p]);
    for (const auto& f : kTextFields)
        op.text(f, r);
}

} // namespace

void PackImage(const SettingsRecord& r, ImageBuffer& image)
{
    Packer op{image.data()};
    walk(r, op);
}

void UnpackImage(const ImageBuffer& image, SettingsRecord& r)
{
    Unpacker op{image.data()};
    walk(r, op);
}

} // namespace vkm
