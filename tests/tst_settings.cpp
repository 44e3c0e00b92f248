// Factory defaults and the text helpers of the settings block.

#include "core/codepage.h"
#include "core/defaults.h"
#include "core/textfields.h"

#include <QTest>

#include <cstring>

using namespace vkm;

namespace {

const TextField& text(const char* name)
{
    for (const auto& f : kTextFields)
        if (std::strcmp(f.name, name) == 0)
            return f;
    qFatal("no text field %s", name);
}

QString value(const SettingsRecord& r, const char* name)
{
    const TextView t = textAt(r, text(name));
    return fromCp1251(reinterpret_cast<const char*>(t.chars()), t.length());
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void defaultsOfAZeroBlock()
    {
        SettingsRecord r{};
        ResetDefaults(r);
        QCOMPARE(r.InputRelay[9], 255);
        QCOMPARE(r.InputCorrection[0], 255);
        QCOMPARE(r.FormulaFirstOperand[15], 255);
        QCOMPARE(r.DisplayLimitSource, 255);
        QCOMPARE(r.PointLevelSource[3], 255);
        QCOMPARE(r.PointCondition[3], 0);
        QCOMPARE(r.OutputSource[2], 255);
        QCOMPARE(r.SwitchParam2[8], 255);
        QCOMPARE(r.CharacteristicCorrection[9], 255);
        QCOMPARE(r.ChannelUse[8], 0);

        QCOMPARE(value(r, "CraneChanges"), QStringLiteral("не производились"));
        QCOMPARE(r.CraneChanges.len, 16);
        QCOMPARE(value(r, "RecorderType"), QStringLiteral("встроенный в составе РКС-3"));
        QCOMPARE(r.RecorderType.len, 26);
        QCOMPARE(value(r, "RecorderMaker"), QStringLiteral("ООО Кранметрика"));
        QCOMPARE(value(r, "RecorderInstaller"), QStringLiteral("ООО Кранметрика"));
        QCOMPARE(r.RecorderMaker.chars[0], uint8_t(0xCE)); // "О" in code page 1251
        QCOMPARE(r.CraneType.len, 0);

        // What the defaults leave alone stays zero in a fresh block.
        for (uint8_t b : r.Reserved)
            QCOMPARE(b, uint8_t(0));
        QCOMPARE(r.PointInputMask[16][0], 0);
        QCOMPARE(r.PointInputState[3][16], 0);
        QCOMPARE(r.CraneChanges.chars[16], uint8_t(0));
    }

    void defaultsKeepWhatTheyDoNotOwn()
    {
        SettingsRecord r;
        std::memset(r.bytes(), 0x5A, kSettingsSize);
        ResetDefaults(r);
        QCOMPARE(r.Reserved[0], uint8_t(0x5A));
        QCOMPARE(r.Reserved[335], uint8_t(0x5A));
        QCOMPARE(r.PointInputMask[16][16], 0x5A5A5A5A);
        QCOMPARE(r.PointInputState[0][16], 0x5A5A5A5A);
        QCOMPARE(r.PointInputMask[15][15], 0);
        QCOMPARE(r.Filler[2], uint8_t(0x5A));
        // An emptied text keeps its old characters behind the length byte.
        QCOMPARE(r.CraneType.len, 0);
        QCOMPARE(r.CraneType.chars[19], uint8_t(0x5A));
        QCOMPARE(r.CraneChanges.chars[16], uint8_t(0x5A));
        QCOMPARE(r.CurveReserved[9][19][15], uint8_t(0));
        QCOMPARE(r.FormulaOperands[15][32], 0);
    }

    void lengthBeyondCapacityIsClamped()
    {
        SettingsRecord r{};
        r.CraneYear.len = 200;
        QCOMPARE(textAt(r, text("CraneYear")).length(), 10);
        QCOMPARE(r.CraneYear.length(), 10);
    }

    void codePageRoundTrip()
    {
        const QString s = QStringLiteral("Ёё№ АБВ абв xyz «»€");
        QVERIFY(fitsCp1251(s));
        QCOMPARE(fromCp1251(toCp1251(s)), s);
        QCOMPARE(toCp1251(QStringLiteral("Я")), QByteArray("\xDF"));
        QVERIFY(!fitsCp1251(QStringLiteral("日本")));
        QVERIFY(!fitsCp1251(QStringLiteral("ā")));
        for (int b = 0; b < 256; ++b) {
            if (b == 0x98)
                continue;
            const char c = char(b);
            QCOMPARE(toCp1251(fromCp1251(&c, 1)), QByteArray(1, c));
        }
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
