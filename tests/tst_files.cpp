// Settings files: the size rules of opening, safe saving and the export.

#include "core/defaults.h"
#include "core/files.h"
#include "core/image.h"
#include "core/state.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>

using namespace vkm;

namespace {

struct ScriptedQuestions : ReadQuestions {
    bool answer = false;
    int asked = 0;
    int formatErrors = 0;
    bool confirmConversion() override { ++asked; return answer; }
    void formatError() override { ++formatErrors; }
};

QByteArray pattern(int size, int seed)
{
    QByteArray b(size, 0);
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 31 + seed) & 0xFF);
    return b;
}

void writeRaw(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(data), data.size());
}

QByteArray readRaw(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

QByteArray settingsBytes()
{
    return QByteArray(reinterpret_cast<const char*>(Settings.bytes()), kSettingsSize);
}

} // namespace

class TestFiles : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString path(const char* name) { return dir.filePath(QLatin1String(name)); }

private slots:
    void init()
    {
        std::memset(Settings.bytes(), 0, kSettingsSize);
        ResetDefaults(Settings);
    }

    void readSizes_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("formatErrors");
        QTest::newRow("15072 bytes") << 15072 << false << true << 0 << 0;
        QTest::newRow("longer file") << 20000 << false << true << 0 << 0;
        QTest::newRow("14696 declined") << 14696 << false << false << 1 << 0;
        QTest::newRow("14696 converted") << 14696 << true << true << 1 << 0;
        QTest::newRow("15071 converted") << 15071 << true << true << 1 << 0;
        QTest::newRow("100 bytes, yes") << 100 << true << false << 1 << 1;
        QTest::newRow("empty, yes") << 0 << true << false << 1 << 1;
    }
    void readSizes()
    {
        QFETCH(int, size);
        QFETCH(bool, answer);
        QFETCH(bool, result);
        QFETCH(int, asked);
        QFETCH(int, formatErrors);
        const QByteArray data = pattern(size, 3);
        writeRaw(path("in.bin"), data);
        const QByteArray before = settingsBytes();
        ScriptedQuestions q;
        q.answer = answer;
        QCOMPARE(ReadData(path("in.bin"), q), result);
        QCOMPARE(q.asked, asked);
        QCOMPARE(q.formatErrors, formatErrors);
        if (!result)
            QCOMPARE(settingsBytes(), before); // a declined open changes nothing
        else if (size >= 15072)
            QCOMPARE(settingsBytes(), data.left(15072));
        else
            QCOMPARE(DeviceImage[0], ReceivedImage[0]); // went through the image
    }

    void missingFileThrows()
    {
        ScriptedQuestions q;
        QVERIFY_THROWS_EXCEPTION(FileError, ReadData(path("nothing.bin"), q));
        QCOMPARE(q.asked, 0);
    }

    void saveAndReopenIsByteIdentical()
    {
        const QByteArray data = pattern(15072, 9);
        writeRaw(path("a.bin"), data);
        ScriptedQuestions q;
        QVERIFY(ReadData(path("a.bin"), q));
        WriteData(path("b.bin"), Settings);
        QCOMPARE(readRaw(path("b.bin")), data);
    }

    void freshDefaultsFile()
    {
        WriteData(path("new.bin"), Settings);
        const QByteArray b = readRaw(path("new.bin"));
        QCOMPARE(b.size(), 15072);
        QCOMPARE(b, settingsBytes());
    }

    void failedWriteKeepsTheOldFile()
    {
        // A file size limit makes the write fail part way, as a full disk would.
        QTemporaryDir own;
        auto path = [&](const char* n) { return own.filePath(QLatin1String(n)); };
        const QByteArray old = pattern(15072, 1);
        writeRaw(path("keep.bin"), old);
        writeRaw(path("flash.bin"), pattern(2049, 2));
        const QByteArray oldExport = readRaw(path("flash.bin"));
        std::memset(Settings.bytes(), 0x77, kSettingsSize);

        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 1000;
        setrlimit(RLIMIT_FSIZE, &small);
        bool saveThrew = false, exportThrew = false;
        try { WriteData(path("keep.bin"), Settings); } catch (const FileError&) { saveThrew = true; }
        try { ExportImage(path("flash.bin")); } catch (const FileError&) { exportThrew = true; }
        setrlimit(RLIMIT_FSIZE, &saved);

        QVERIFY(saveThrew);
        QVERIFY(exportThrew);
        QCOMPARE(readRaw(path("keep.bin")), old);
        QCOMPARE(readRaw(path("flash.bin")), oldExport);
        QCOMPARE(QDir(own.path()).entryList(QDir::Files).size(), 2); // no temporary left behind
    }

    // A process killed while it saves (power gone, the task killed): the file
    // is the previous one or the complete new one, never a part of either.
    void killedInMidSave()
    {
        const QString file = path("killed.bin");
        const QByteArray a = pattern(kSettingsSize, 1), b = pattern(kSettingsSize, 2);
        for (int round = 0; round < 6; ++round) {
            QProcess saver;
            saver.start(QCoreApplication::applicationFilePath(), {"--save-loop", file});
            QVERIFY(saver.waitForStarted());
            QVERIFY(saver.waitForReadyRead(20000)); // the first save is complete
            QTest::qSleep(3 * round);
            ::kill(static_cast<pid_t>(saver.processId()), SIGKILL);
            QVERIFY(saver.waitForFinished());
            const QByteArray now = readRaw(file);
            QVERIFY2(now == a || now == b, qPrintable(QString("round %1: %2 bytes").arg(round).arg(now.size())));
        }
    }

    void writeIntoMissingFolderThrows()
    {
        QVERIFY_THROWS_EXCEPTION(FileError, WriteData(path("no/such/folder/x.bin"), Settings));
    }

    void exportWrites2049Bytes()
    {
        Settings.InputFilterMs[0] = 300;
        writeRaw(path("flash.bin"), QByteArray(5000, 'x'));
        ExportImage(path("flash.bin"));
        const QByteArray b = readRaw(path("flash.bin"));
        QCOMPARE(b.size(), 2049);
        QCOMPARE(uint8_t(b[2]), uint8_t(0x2C));
        QCOMPARE(uint8_t(b[2048]), uint8_t(0));
        QCOMPARE(DeviceImage[3], uint8_t(0x01));
    }

    void saveNames_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << "/tmp/crane" << "/tmp/crane.bin";
        QTest::newRow("other extension") << "/tmp/crane.dat" << "/tmp/crane.dat";
        QTest::newRow("dot in folder only") << "/tmp/a.b/crane" << "/tmp/a.b/crane.bin";
        QTest::newRow("windows separator") << "C:\\x.y\\crane" << "C:\\x.y\\crane.bin";
    }
    void saveNames()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QCOMPARE(completeSaveName(chosen), written);
    }

    void caption()
    {
        QCOMPARE(CaptionText(QStringLiteral("noName.bin")), QStringLiteral("Управление Тензар - 4.2 : noName.bin"));
    }
};

// The child of killedInMidSave: saves two settings in turn until killed.
static int saveLoop(const char* path)
{
    const QString file = QString::fromLocal8Bit(path);
    for (long n = 0;; ++n) {
        std::memcpy(Settings.bytes(), pattern(kSettingsSize, 1 + n % 2).constData(), kSettingsSize);
        WriteData(file, Settings);
        if (n == 0) {
            std::fputs("saved\n", stdout);
            std::fflush(stdout);
        }
    }
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--save-loop") == 0)
        return saveLoop(argv[2]);
    QCoreApplication app(argc, argv);
    TestFiles t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}
#include "tst_files.moc"
