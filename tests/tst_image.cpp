// Packing the settings into the controller's image and unpacking it again.

#include "core/codepage.h"
#include "core/defaults.h"
#include "core/image.h"
#include "core/legacy.h"
#include "core/textfields.h"

#include <QRandomGenerator>
#include <QTest>

#include <cstring>

using namespace vkm;

namespace {

void setText(SettingsRecord& r, const TextField& f, const QByteArray& b)
{
    setTextBytes(r, f, reinterpret_cast<const uint8_t*>(b.constData()), int(b.size()));
}

QByteArray textOf(const SettingsRecord& r, const TextField& f)
{
    const TextView t = textAt(r, f);
    return QByteArray(reinterpret_cast<const char*>(t.chars()), t.length());
}

// Every carried field set to a random value that fits its entry.
void randomiseCarried(SettingsRecord& r, QRandomGenerator& g)
{
    auto u8 = [&] { return int32_t(g.bounded(256)); };
    auto u16 = [&] { return int32_t(g.bounded(65536)); };
    auto bit = [&] { return int32_t(g.bounded(2)); };
    for (int i = 0; i < 10; ++i) {
        r.ChannelUse[i] = bit();
        r.ScaleInMin[i] = u16(); r.ScaleInMax[i] = u16();
        r.ScaleOutMin[i] = u16(); r.ScaleOutMax[i] = u16();
        r.InputCorrection[i] = u8();
    }
    for (int i = 0; i < 8; ++i) {
        r.InputFilterMs[i] = u16(); r.InputShortLevel[i] = u16(); r.InputBreakLevel[i] = u16();
        r.InputRelay[i] = u8(); r.InputSensorType[i] = u8();
        r.SwitchUse[i] = u8(); r.SwitchParam1[i] = u8(); r.SwitchParam2[i] = u8();
        r.CharacteristicInput[i] = u8(); r.CharacteristicCorrection[i] = u8();
        for (int n = 0; n < 16; ++n) {
            r.SwitchInputMask[i][n] = bit();
            r.SwitchInputState[i][n] = bit();
        }
    }
    for (auto& c : r.CurvePoints)
        for (auto& p : c) {
            p[0] = u16();
            p[1] = u16();
        }
    for (int f = 0; f < 16; ++f) {
        r.FormulaUse[f] = u8(); r.FormulaOperation[f] = u8();
        for (int k = 0; k < 32; ++k)
            r.FormulaOperands[f][k] = bit();
        r.FormulaConstant[f] = u16(); r.FormulaFirstOperand[f] = u8();
        r.PointParam[f] = u8(); r.PointCondition[f] = u8(); r.PointRelay[f] = u8();
        r.PointLevel[f] = u16(); r.PointLevelSource[f] = u8(); r.PointHysteresis[f] = u16();
        r.PointOnDelayMs[f] = u16(); r.PointOffDelayMs[f] = u16();
        r.RelayUse[f] = u8(); r.RelayExtra[f] = u8();
        for (int n = 0; n < 16; ++n) {
            r.PointInputMask[f][n] = bit(); r.PointInputState[f][n] = bit();
            r.RelayInputMask[f][n] = bit(); r.RelayInputState[f][n] = bit();
        }
    }
    r.DisplayLoadSource = u8(); r.DisplayOutreachSource = u8(); r.DisplayLimitSource = u8();
    for (int o = 0; o < 2; ++o) {
        r.OutputSource[o] = u8();
        for (int n = 0; n < 16; ++n) {
            r.OutputInputMask[o][n] = bit();
            r.OutputInputState[o][n] = bit();
        }
    }
    for (const auto& f : kTextFields) {
        // Any bytes but a blank or control character at the end.
        QByteArray b;
        const int len = int(g.bounded(f.capacity + 1));
        for (int i = 0; i < len; ++i)
            b.append(char(g.bounded(1, 256)));
        while (!b.isEmpty() && uint8_t(b.back()) <= 0x20)
            b.back() = 'x';
        setText(r, f, b);
    }
}

} // namespace

class TestImage : public QObject {
    Q_OBJECT
private slots:
    void encodingExamples()
    {
        SettingsRecord r{};
        const int32_t use[10] = {1, 0, 1, 1, 0, 0, 0, 0, 1, 1};
        std::memcpy(r.ChannelUse, use, sizeof use);
        r.InputFilterMs[0] = 300;
        r.FormulaConstant[0] = 70000;
        r.InputRelay[3] = 255;
        r.ScaleInMax[9] = 65535;
        r.PointLevel[15] = -1;
        setText(r, kTextFields[2], "2007"); // CraneYear
        ImageBuffer img{};
        PackImage(r, img);
        QCOMPARE(img[0], uint8_t(0x0D));
        QCOMPARE(img[1], uint8_t(0x03));
        QCOMPARE(img[2], uint8_t(0x2C));
        QCOMPARE(img[3], uint8_t(0x01));
        QCOMPARE(img[1052], uint8_t(0x70));
        QCOMPARE(img[1053], uint8_t(0x11));
        QCOMPARE(img[53], uint8_t(0xFF));
        QCOMPARE(img[104], uint8_t(0xFF));
        QCOMPARE(img[105], uint8_t(0xFF));
        QCOMPARE(img[1180], uint8_t(0xFF));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(img.data()) + 1578, 10), QByteArray("2007      "));
    }

    void flagSumRule()
    {
        SettingsRecord r{};
        r.ChannelUse[0] = 3; // 3 << 0 spills into bit 1
        r.ChannelUse[1] = 1;
        ImageBuffer img{};
        PackImage(r, img);
        QCOMPARE(img[0], uint8_t(0x05));
    }

    void defaultsLeaveUnusedBytesZero()
    {
        SettingsRecord r{};
        ResetDefaults(r);
        ImageBuffer a{}, b{};
        PackImage(r, a);
        PackImage(r, b);
        QCOMPARE(a, b);
        QCOMPARE(a[1537], uint8_t(0));
        for (std::size_t i = 1898; i < kImageBufferSize; ++i)
            QCOMPARE(a[i], uint8_t(0));
        QCOMPARE(a[1538], uint8_t(0x20)); // empty CraneType packs to blanks
    }

    void textsPackAndUnpack()
    {
        SettingsRecord r{};
        const TextField& f = kTextFields[0];
        setText(r, f, "abcdef");
        setText(r, f, "ab"); // the old "cdef" stays behind the length byte
        r.CraneType.chars[1] = 0; // a zero character travels as a blank
        ImageBuffer img{};
        PackImage(r, img);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(img.data()) + 1538, 20), QByteArray("a").append(QByteArray(19, ' ')));

        r.CraneType.len = 250; // taken as the full capacity, never read past
        PackImage(r, img);
        QCOMPARE(img[1558], uint8_t(0x20)); // CraneSerial starts right after

        // Trailing blanks and control characters go, leading and inner stay.
        std::memcpy(img.data() + 1538, "  x y \t\x01\0          ", 20);
        std::memset(r.CraneType.chars, 'Q', 20);
        UnpackImage(img, r);
        QCOMPARE(textOf(r, f), QByteArray("  x y"));
        QCOMPARE(r.CraneType.chars[5], uint8_t('Q'));
        std::memset(img.data() + 1538, ' ', 20);
        UnpackImage(img, r);
        QCOMPARE(r.CraneType.len, 0);
    }

    void erasedAndZeroImages()
    {
        SettingsRecord r{};
        ImageBuffer img;
        img.fill(0xFF);
        UnpackImage(img, r);
        QCOMPARE(r.InputRelay[7], 255);
        QCOMPARE(r.ScaleOutMax[9], 65535);
        QCOMPARE(r.FormulaOperands[5][31], 1);
        QCOMPARE(r.FormulaOperands[5][32], 0);
        QCOMPARE(r.ChannelUse[9], 1);
        QCOMPARE(r.CraneExecution.len, 70);
        QCOMPARE(r.CraneExecution.chars[69], uint8_t(0xFF));
        QCOMPARE(r.InputFilterMs[8], 0); // not carried
        img.fill(0);
        UnpackImage(img, r);
        QCOMPARE(r.ScaleOutMax[9], 0);
        QCOMPARE(r.CraneExecution.len, 0);
    }

    void widthReduction()
    {
        SettingsRecord r{};
        r.FormulaConstant[3] = 70000;
        r.InputFilterMs[0] = -1;
        r.InputRelay[0] = -1;
        ImageBuffer img{};
        PackImage(r, img);
        UnpackImage(img, r);
        QCOMPARE(r.FormulaConstant[3], 4464);
        QCOMPARE(r.InputFilterMs[0], 65535);
        QCOMPARE(r.InputRelay[0], 255);
    }

    void randomRoundTrip()
    {
        QRandomGenerator g(20261210);
        for (int round = 0; round < 50; ++round) {
            SettingsRecord r;
            for (std::size_t i = 0; i < kSettingsSize; ++i)
                r.bytes()[i] = uint8_t(g.bounded(256));
            randomiseCarried(r, g);
            const SettingsRecord before = r;
            ImageBuffer img{};
            PackImage(r, img);
            UnpackImage(img, r);
            // Carried fields come back as they were and nothing else is
            // touched, so the whole block is byte for byte the same.
            for (std::size_t i = 0; i < kSettingsSize; ++i)
                if (r.bytes()[i] != before.bytes()[i])
                    QFAIL(qPrintable(QStringLiteral("round %1: byte %2 changed").arg(round).arg(i)));
            ImageBuffer again{};
            PackImage(r, again);
            QCOMPARE(again, img);
        }
    }

    void legacyConversionOfATruncatedCurrentFile()
    {
        QRandomGenerator g(7);
        SettingsRecord file;
        for (std::size_t i = 0; i < kSettingsSize; ++i)
            file.bytes()[i] = uint8_t(g.bounded(256));
        randomiseCarried(file, g);

        SettingsRecord held{};
        ResetDefaults(held);
        std::memset(held.CurveReserved, 0x11, sizeof held.CurveReserved);
        const SettingsRecord heldBefore = held;

        LegacyBuffer legacy;
        std::memcpy(legacy.data(), file.bytes(), kLegacySize);
        ImageBuffer device{}, received{};
        ConvertLegacy(legacy, held, device, received);

        // The expected result: the file's carried fields with the held texts.
        SettingsRecord expected = heldBefore;
        SettingsRecord source = heldBefore;
        std::memcpy(source.bytes(), file.bytes(), kLegacyCarriedSize);
        ImageBuffer img{};
        PackImage(source, img);
        UnpackImage(img, expected);
        QCOMPARE(std::memcmp(held.bytes(), expected.bytes(), kSettingsSize), 0);
        QCOMPARE(device, img);
        QCOMPARE(received, img);
        QCOMPARE(held.ScaleInMin[4], file.ScaleInMin[4]);
        QCOMPARE(held.CurveReserved[0][0][0], uint8_t(0x11));
        QCOMPARE(textOf(held, kTextFields[10]), textOf(heldBefore, kTextFields[10]));

        // The four unread bytes at the end have no influence.
        legacy[14692] ^= 0xFF;
        legacy[14695] ^= 0x55;
        SettingsRecord again = heldBefore;
        ConvertLegacy(legacy, again, device, received);
        QCOMPARE(std::memcmp(again.bytes(), held.bytes(), kSettingsSize), 0);
    }
};

QTEST_GUILESS_MAIN(TestImage)
#include "tst_image.moc"
