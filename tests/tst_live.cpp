// Live readings: the texts of a reply word, and the poll cycle (the timer
// stopped for a tick and counted again from its end, a tick ended for good by
// a stop() during its wait).

#include "link/live.h"

#include <QLocale>
#include <QTest>

using namespace vkm;

class TestLive : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void texts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("word"); // -1: the request failed
        QTest::addColumn<QString>("unsignedText");
        QTest::addColumn<QString>("signedText");
        QTest::addColumn<QString>("channelText"); // /100
        QTest::addColumn<QString>("formulaText"); // /10
        for (const char* loc : {"en_US", "ru_RU"}) {
            const bool comma = QByteArray(loc) == "ru_RU";
            auto dec = [comma](QString s) { return comma ? s.replace('.', ',') : s; };
            auto row = [&](const char* name) -> QTestData& { return QTest::addRow("%s %s", loc, name) << QString::fromLatin1(loc); };
            row("32768 stays positive") << 32768 << "32768" << "32768" << dec("327.68") << dec("3276.80");
            row("32769") << 32769 << "32769" << "-32767" << dec("-327.67") << dec("-3276.70");
            row("65535") << 65535 << "65535" << "-1" << dec("-0.01") << dec("-0.10");
            row("100") << 100 << "100" << "100" << dec("1.00") << dec("10.00");
            row("1234") << 1234 << "1234" << "1234" << dec("12.34") << dec("123.40");
            row("65526") << 65526 << "65526" << "-10" << dec("-0.10") << dec("-1.00");
            row("0") << 0 << "0" << "0" << dec("0.00") << dec("0.00");
            row("failed") << -1 << "error" << "error" << "error" << "error";
        }
    }
    void texts()
    {
        QFETCH(QString, locale);
        QFETCH(int, word);
        QLocale::setDefault(QLocale(locale));
        const std::optional<uint16_t> w = word < 0 ? std::nullopt : std::optional<uint16_t>(uint16_t(word));
        QTEST(liveUnsigned(w), "unsignedText");
        QTEST(liveSigned(w), "signedText");
        QTEST(liveScaled(w, 100), "channelText");
        QTEST(liveScaled(w, 10), "formulaText");
    }

    // The timer is off while a tick runs, even one that lets events through
    // for longer than a period, and is started afresh when the tick ends.
    void periodCountsFromTheEndOfATick()
    {
        int ticks = 0, nested = 0, depth = 0;
        bool timerOffInTick = true;
        PollCycle* cycle = nullptr;
        PollCycle poll([&] {
            ++ticks;
            if (depth++)
                ++nested;
            timerOffInTick = timerOffInTick && !cycle->TimerAnalog.isActive();
            QTest::qWait(PollCycle::kPeriodMs + 200); // a slow exchange
            timerOffInTick = timerOffInTick && !cycle->TimerAnalog.isActive();
            --depth;
        });
        cycle = &poll;
        poll.start();
        QVERIFY(poll.TimerAnalog.isActive());
        QCOMPARE(poll.TimerAnalog.interval(), PollCycle::kPeriodMs);
        QTRY_COMPARE_WITH_TIMEOUT(ticks, 2, 5000);
        QCOMPARE(nested, 0);
        QVERIFY(timerOffInTick);
        poll.stop();
        QVERIFY(!poll.TimerAnalog.isActive());
    }

    // A dialog closed while its tick waits for a reply: the tick sends none of
    // its remaining requests and the timer stays off.
    void stopDuringTickEndsIt()
    {
        QStringList sent;
        PollCycle* cycle = nullptr;
        PollCycle poll([&] {
            sent << "first";
            cycle->stop(); // the dialog closes while the first reply is awaited
            if (!cycle->goesOn())
                return;
            sent << "second";
        });
        cycle = &poll;
        poll.start();
        poll.tickNow();
        QCOMPARE(sent, QStringList{"first"});
        QVERIFY(!poll.running());
        QVERIFY(!poll.TimerAnalog.isActive());
        poll.tickNow(); // a stray timeout after the close reads nothing
        QCOMPARE(sent, QStringList{"first"});
    }

    // Stopped and started again during one wait (the dialog closed and shown
    // again, the box cleared and ticked): the old tick still ends, and the new
    // period polls.
    void restartDuringTickBeginsANewPeriod()
    {
        QStringList sent;
        PollCycle* cycle = nullptr;
        PollCycle poll([&] {
            sent << "first";
            if (sent.size() == 1) {
                cycle->stop();
                cycle->start();
                QVERIFY(!cycle->TimerAnalog.isActive()); // not while the tick runs
            }
            if (!cycle->goesOn())
                return;
            sent << "second";
        });
        cycle = &poll;
        poll.start();
        poll.tickNow();
        QCOMPARE(sent, QStringList{"first"});
        QVERIFY(poll.running());
        QVERIFY(poll.TimerAnalog.isActive());
        poll.tickNow();
        QCOMPARE(sent, (QStringList{"first", "first", "second"}));
    }

    void noTickWhileStopped()
    {
        int ticks = 0;
        PollCycle poll([&] { ++ticks; });
        poll.tickNow();
        QCOMPARE(ticks, 0);
        QVERIFY(!poll.TimerAnalog.isActive());
    }
};

QTEST_MAIN(TestLive)
#include "tst_live.moc"
