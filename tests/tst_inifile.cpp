// vkm.ini: design values, a rewrite that keeps what it does not know,
// values it cannot use, and the link session's use of it.

#include "core/files.h"
#include "link/dtrans.h"
#include "link/inifile.h"
#include "link/session.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using namespace vkm;

class TstIniFile : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString write(const QByteArray& text)
    {
        const QString path = dir.filePath("vkm.ini");
        QFile f(path);
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(text);
        return path;
    }
    static QByteArray read(const QString& path)
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private slots:
    void defaultPathIsInTheUsersConfigFolder()
    {
        QCOMPARE(IniFile::defaultPath(),
                 QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/vkm/vkm.ini");
    }

    void missingFileGivesDesignValues()
    {
        IniFile ini(dir.filePath("absent/vkm.ini"));
        DtransValues d;
        d.load(ini);
        QCOMPARE(d.timeWait, 10);
        QCOMPARE(d.adrOut, QString("$1008"));
        QCOMPARE(d.adrIn, QString("$1022"));
        QCOMPARE(d.byteIn, QString());
        QCOMPARE(d.byteOut, QString("0301"));
        QCOMPARE(d.linkAddress, 1);
        QCOMPARE(d.activePage, QString("TabSheet1"));
        QCOMPARE(d.baud, 9600);
        QCOMPARE(d.comNumber, 1);
    }

    void rewriteKeepsWhatItDoesNotKnow()
    {
        const QString path = write("; written by hand\n"
                                   "[main]\nFormVersion=0\nNormPos=10,20,630,470\n"
                                   "[Dtrans]\nAdrOut_Text=$2000\nMyOwnKey=  keep me  \n\n"
                                   "[Other]\nx=\xC0\xC1 cp1251 bytes\n");
        IniFile ini(path);
        DtransValues d;
        d.load(ini);
        QCOMPARE(d.adrOut, QString("$2000"));
        d.comNumber = 3;
        d.baud = 19200;
        d.adrIn = "  $1030 ";
        d.store(ini);
        ini.save();
        const QByteArray out = read(path);
        for (const char* kept : {"; written by hand\n", "NormPos=10,20,630,470\n", "MyOwnKey=  keep me  \n",
                                 "[Other]\nx=\xC0\xC1 cp1251 bytes\n", "CommPort1_ComNumber=3\n",
                                 "CommPort1_Baud=19200\n", "AdrIn_Text=$1030\n", "AdrOut_Text=$2000\n"})
            QVERIFY2(out.contains(kept), kept);
        QCOMPARE(out.count("[Dtrans]"), 1);

        IniFile again(path);
        DtransValues e;
        e.load(again);
        QCOMPARE(e.comNumber, 3);
        QCOMPARE(e.baud, 19200);
        QCOMPARE(e.adrIn, QString("$1030"));
    }

    void unusableValuesKeepTheDesignValue_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("com");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("address");
        QTest::newRow("port 0") << QByteArray("CommPort1_ComNumber=0") << 1 << 9600 << 1;
        QTest::newRow("port 10") << QByteArray("CommPort1_ComNumber=10") << 1 << 9600 << 1;
        QTest::newRow("port text") << QByteArray("CommPort1_ComNumber=COM2") << 1 << 9600 << 1;
        QTest::newRow("port 9") << QByteArray("CommPort1_ComNumber=9") << 9 << 9600 << 1;
        QTest::newRow("speed 0") << QByteArray("CommPort1_Baud=0") << 1 << 9600 << 1;
        QTest::newRow("speed negative") << QByteArray("CommPort1_Baud=-19200") << 1 << 9600 << 1;
        QTest::newRow("speed not offered") << QByteArray("CommPort1_Baud=12345") << 1 << 12345 << 1;
        QTest::newRow("speed empty") << QByteArray("CommPort1_Baud=") << 1 << 9600 << 1;
        QTest::newRow("address 256") << QByteArray("AdrConEdit_Value=256") << 1 << 9600 << 1;
        QTest::newRow("address garbage") << QByteArray("AdrConEdit_Value=\x01\xFFzz") << 1 << 9600 << 1;
        QTest::newRow("address 0") << QByteArray("AdrConEdit_Value=0") << 1 << 9600 << 0;
    }
    void unusableValuesKeepTheDesignValue()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, com);
        QFETCH(int, baud);
        QFETCH(int, address);
        IniFile ini(write("[Dtrans]\r\n" + line + "\r\nPageControl1_ActivePage=TabSheet9\r\n"));
        DtransValues d;
        d.load(ini);
        QCOMPARE(d.comNumber, com);
        QCOMPARE(d.baud, baud);
        QCOMPARE(d.linkAddress, address);
        QCOMPARE(d.activePage, QString("TabSheet1"));
    }

    // Found by fuzzing: a file read and saved once must save the same bytes
    // again, and the values read must not change.
    void loadSaveIsAFixedPoint_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("value"); // of [Dtrans] AdrOut_Text
        QTest::newRow("CR CR LF") << QByteArray("[Dtrans]\nAdrOut_Text=abc\r\r\nx=1\r\r\r\n") << QString("abc");
        QTest::newRow("CR CR LF header") << QByteArray("[Dtrans]\r\r\nAdrOut_Text=abc") << QString("abc");
        QTest::newRow("lone CR inside") << QByteArray("[Dtrans]\nAdrOut_Text=a\rb\n") << QString("a\rb");
        QTest::newRow("blank line of CRs (fuzz)") << QByteArray("[Dtrans]\nAdrOut_Text=abc\n\n\r\r\r\r\n") << QString("abc");
        QTest::newRow("blanks") << QByteArray("[ Dtrans ]\n\t AdrOut_Text \t= abc \t\r\n") << QString("abc");
    }
    void loadSaveIsAFixedPoint()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, value);
        const QString path = write(text);
        IniFile first(path);
        QCOMPARE(first.value(ini::kDtrans, ini::kAdrOut), std::optional<QString>(value));
        first.save();
        const QByteArray once = read(path);
        IniFile second(path);
        QCOMPARE(second.value(ini::kDtrans, ini::kAdrOut), std::optional<QString>(value));
        second.save();
        QCOMPARE(read(path), once);
    }

    // Values are UTF-8: "х" ends in the byte 0x85 and "Р" in 0xA0, which
    // must not be taken for blanks. Only space, tab and CR are trimmed.
    void cyrillicValuesKeepEveryByte_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("ends in х") << QString("Тех");
        QTest::newRow("ends in Р") << QString("ВКМ-Р");
        QTest::newRow("starts with Р") << QString("Рх");
        QTest::newRow("no-break space") << QString("a\u00A0");
    }
    void cyrillicValuesKeepEveryByte()
    {
        QFETCH(QString, value);
        // written by the program and read again
        const QString path = write("[Dtrans]\n");
        IniFile ini(path);
        ini.setValue(ini::kDtrans, ini::kAdrOut, value);
        ini.save();
        IniFile again(path);
        QCOMPARE(again.value(ini::kDtrans, ini::kAdrOut), std::optional<QString>(value));
        // written by hand, with blanks around it
        IniFile byHand(write("[Dtrans]\nAdrOut_Text= " + value.toUtf8() + "\t\r\n"));
        QCOMPARE(byHand.value(ini::kDtrans, ini::kAdrOut), std::optional<QString>(value));
    }

    // A disk that fills up while vkm.ini is saved: FileError, and the file
    // is the one that was there.
    void failedSaveKeepsTheFile()
    {
        const QByteArray old = "[Dtrans]\nCommPort1_Baud=19200\n";
        const QString path = write(old);
        IniFile ini(path);
        ini.setValue(ini::kDtrans, ini::kAdrOut, QString(500, QLatin1Char('x')));
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 100;
        setrlimit(RLIMIT_FSIZE, &small);
        bool threw = false;
        try { ini.save(); } catch (const FileError&) { threw = true; }
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(threw);
        QCOMPARE(read(path), old);
    }

    void sessionLoadsTheLinkAndWritesThePorts()
    {
        const QString path = write("[Dtrans]\nCommPort1_ComNumber=3\nCommPort1_Baud=19200\nAdrConEdit_Value=0\n"
                                   "[Ports]\nCOM3=/tmp/vkm-sim-link\n");
        LinkSession s(path);
        QVERIFY(s.loadDtrans());
        QCOMPARE(s.port.comNumber(), 3);
        QCOMPARE(s.port.baud(), 19200);
        QCOMPARE(int(s.protocol.LinkAddress), 0);
        QCOMPARE(s.port.deviceFor(3), QString("/tmp/vkm-sim-link"));
        QCOMPARE(s.portStatusText(), QString("СОМ3,19200,8,N,2"));
#ifndef Q_OS_WIN
        QCOMPARE(s.port.deviceFor(1), QString("/dev/ttyS0"));
        const QByteArray out = read(path);
        QVERIFY(out.contains("COM3=/tmp/vkm-sim-link\n"));
        QVERIFY(out.contains("COM1=/dev/ttyS0\n"));
        QVERIFY(out.contains("COM9=/dev/ttyS8\n"));
#endif
        QString why;
        QVERIFY(!s.openPort(&why)); // nothing at /tmp/vkm-sim-link
        QVERIFY2(why.contains("/tmp/vkm-sim-link"), qPrintable(why));
        QVERIFY(!s.port.isOpen());
    }
};

QTEST_GUILESS_MAIN(TstIniFile)
#include "tst_inifile.moc"
