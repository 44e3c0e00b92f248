// vkmtool's file commands, run as a user runs them.

#include "core/defaults.h"
#include "core/image.h"
#include "core/legacy.h"
#include "core/settings.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace vkm;

namespace {

struct Run {
    int status;
    QByteArray out;
    QByteArray err;
};

Run vkmtool(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(VKM_BIN_DIR "/tools/vkmtool"), args);
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QByteArray readRaw(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeRaw(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

QByteArray bytesOf(const SettingsRecord& r)
{
    return QByteArray(reinterpret_cast<const char*>(r.bytes()), kSettingsSize);
}

} // namespace

class TestVkmtool : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const char* n) { return dir.filePath(QLatin1String(n)); }

private slots:
    void defaultsExportUnpackConvert()
    {
        QCOMPARE(vkmtool({"defaults", path("d.bin")}).status, 0);
        SettingsRecord d{};
        ResetDefaults(d);
        QCOMPARE(readRaw(path("d.bin")), bytesOf(d));

        SettingsRecord s = d;
        s.InputFilterMs[0] = 300;
        s.FormulaConstant[0] = 70000;
        writeRaw(path("s.bin"), bytesOf(s) + QByteArray(10, 'z')); // longer is fine
        QCOMPARE(vkmtool({"export", path("s.bin"), path("flash.bin")}).status, 0);
        const QByteArray img = readRaw(path("flash.bin"));
        QCOMPARE(img.size(), 2049);
        ImageBuffer expected{};
        PackImage(s, expected);
        QCOMPARE(img, QByteArray(reinterpret_cast<const char*>(expected.data()), 2049));

        QCOMPARE(vkmtool({"unpack", path("flash.bin"), path("d.bin"), path("u.bin")}).status, 0);
        SettingsRecord u = d;
        UnpackImage(expected, u);
        QCOMPARE(readRaw(path("u.bin")), bytesOf(u));
        QCOMPARE(reinterpret_cast<const SettingsRecord*>(readRaw(path("u.bin")).constData())->FormulaConstant[0], 4464);

        writeRaw(path("legacy.bin"), bytesOf(s).left(14696));
        QCOMPARE(vkmtool({"convert", path("legacy.bin"), path("d.bin"), path("c.bin")}).status, 0);
        SettingsRecord c = d;
        LegacyBuffer legacy;
        std::memcpy(legacy.data(), s.bytes(), kLegacySize);
        ImageBuffer a{}, b{};
        ConvertLegacy(legacy, c, a, b);
        QCOMPARE(readRaw(path("c.bin")), bytesOf(c));
    }

    void show()
    {
        SettingsRecord r{};
        ResetDefaults(r);
        r.CurvePoints[2][3][0] = 150;
        r.CurvePoints[2][3][1] = -7;
        r.CraneOwner.len = 4;
        std::memcpy(r.CraneOwner.chars, "a\"\x01\xC0", 4);
        writeRaw(path("show.bin"), bytesOf(r));
        const Run run = vkmtool({"show", path("show.bin")});
        QCOMPARE(run.status, 0);
        const QStringList lines = QString::fromUtf8(run.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(lines.contains("ChannelUse[0]=0"));
        QVERIFY(lines.contains("InputRelay[9]=255"));
        QVERIFY(lines.contains("FormulaOperands[15][32]=0"));
        QVERIFY(lines.contains("CurvePoints[2][3]=150,-7"));
        QVERIFY(lines.contains("DisplayLoadSource=255"));
        QVERIFY(lines.contains(QStringLiteral("CraneOwner=\"a\\\"\\x01А\"")));
        QVERIFY(lines.contains(QStringLiteral("CraneChanges=\"не производились\"")));
        QVERIFY(lines.contains("Reserved[320]=00000000000000000000000000000000"));
        QVERIFY(lines.contains("CurveReserved[9][19]=00000000000000000000000000000000"));
        QVERIFY(lines.contains("Filler=000000"));
    }

    void badInput_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("output");
        QTest::newRow("missing settings") << QStringList{"export", "nothing.bin", "o1.bin"} << "o1.bin";
        QTest::newRow("short settings") << QStringList{"export", "short.bin", "o2.bin"} << "o2.bin";
        QTest::newRow("short image") << QStringList{"unpack", "short.bin", "good.bin", "o3.bin"} << "o3.bin";
        QTest::newRow("short legacy") << QStringList{"convert", "short.bin", "good.bin", "o4.bin"} << "o4.bin";
        QTest::newRow("unwritable output") << QStringList{"defaults", "no/such/dir/o5.bin"} << "no/such/dir/o5.bin";
        QTest::newRow("missing argument") << QStringList{"show"} << "";
        QTest::newRow("unknown command") << QStringList{"frobnicate"} << "";
    }
    void badInput()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, output);
        writeRaw(path("short.bin"), QByteArray(100, 1));
        writeRaw(path("good.bin"), QByteArray(15072, 0));
        for (int i = 1; i < args.size(); ++i)
            args[i] = dir.filePath(args[i]);
        const Run run = vkmtool(args);
        QCOMPARE(run.status, 2);
        QCOMPARE(run.err.count('\n'), 1);
        if (!output.isEmpty())
            QVERIFY(!QFile::exists(dir.filePath(output)));
    }

    void failedOutputLeavesOldFile()
    {
        writeRaw(path("old.bin"), "previous");
        const Run run = vkmtool({"export", path("short.bin"), path("old.bin")});
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains("short.bin"));
        QCOMPARE(readRaw(path("old.bin")), QByteArray("previous"));
    }
};

QTEST_GUILESS_MAIN(TestVkmtool)
#include "tst_vkmtool.moc"
