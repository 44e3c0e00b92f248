// The shared editor rules, under a point locale and a comma locale.

#include "core/rules.h"

#include <QLocale>
#include <QTest>

using namespace vkm;

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void listRule_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("items");
        QTest::addColumn<int>("index");
        QTest::newRow("255 chooses the first item") << 255 << 17 << 0;
        QTest::newRow("0 chooses item 1") << 0 << 17 << 1;
        QTest::newRow("15 chooses the last of 17") << 15 << 17 << 16;
        QTest::newRow("16 has no item in 17") << 16 << 17 << -1;
        QTest::newRow("negative has no item") << -1 << 17 << -1;
        QTest::newRow("254 has no item") << 254 << 17 << -1;
    }
    void listRule()
    {
        QFETCH(int, code);
        QFETCH(int, items);
        QFETCH(int, index);
        QCOMPARE(listIndexForCode(code, items), index);
        if (index >= 0)
            QCOMPARE(codeForListIndex(index), code);
    }

    void halfEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("factor");
        QTest::addColumn<int>("stored");
        QTest::newRow("0.125 x100") << 0.125 << 100 << 12;
        QTest::newRow("0.375 x100") << 0.375 << 100 << 38;
        QTest::newRow("0.25 x10") << 0.25 << 10 << 2;
        QTest::newRow("0.35 x10") << 0.35 << 10 << 4;
        QTest::newRow("2.125 x100") << 2.125 << 100 << 212;
        QTest::newRow("-0.125 x100") << -0.125 << 100 << -12;
        QTest::newRow("12.34 x100") << 12.34 << 100 << 1234;
        QTest::newRow("1000.00 x100") << 1000.0 << 100 << 100000;
        // halves that a double holds only approximately
        QTest::newRow("2.135 x100") << 2.135 << 100 << 214;
        QTest::newRow("-2.135 x100") << -2.135 << 100 << -214;
        QTest::newRow("1.005 x100") << 1.005 << 100 << 100;
        QTest::newRow("1.015 x100") << 1.015 << 100 << 102;
        QTest::newRow("2.675 x100") << 2.675 << 100 << 268;
        QTest::newRow("0.45 x10") << 0.45 << 10 << 4;
        QTest::newRow("327.605 x100") << 327.605 << 100 << 32760;
        QTest::newRow("0.1 + 0.2 x10") << 0.1 + 0.2 << 10 << 3;
    }
    void halfEven()
    {
        QFETCH(double, value);
        QFETCH(int, factor);
        QFETCH(int, stored);
        QCOMPARE(scaleDecimal(value, factor), stored);
    }

    void signedWord()
    {
        QCOMPARE(SignedWord(0), 0);
        QCOMPARE(SignedWord(32768), 32768);
        QCOMPARE(SignedWord(32769), -32767);
        QCOMPARE(SignedWord(65535), -1);
    }

    void decimalsFollowTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("C point") << "C" << "1.234" << true << 1.234 << "1.23";
        QTest::newRow("C comma refused") << "C" << "1,5x" << false << 0.0 << "";
        QTest::newRow("ru comma") << "ru_RU" << "1,234" << true << 1.234 << "1,23";
        QTest::newRow("ru negative") << "ru_RU" << "-3" << true << -3.0 << "-3,00";
        QTest::newRow("ru text") << "ru_RU" << "abc" << false << 0.0 << "";
        QTest::newRow("en empty") << "en_US" << "" << false << 0.0 << "";
    }
    void decimalsFollowTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(bool, ok);
        QFETCH(double, value);
        QFETCH(QString, shown);
        const QLocale saved;
        QLocale::setDefault(QLocale(locale));
        const auto v = parseDecimal(typed);
        QCOMPARE(v.has_value(), ok);
        if (ok) {
            QCOMPARE(*v, value);
            QCOMPARE(formatFixed2(*v), shown);
        }
        QCOMPARE(formatFixed2(1000.5), QLocale(locale).decimalPoint() == QLatin1String(",")
                     ? QStringLiteral("1000,50") : QStringLiteral("1000.50"));
        QLocale::setDefault(saved);
    }

    void messages()
    {
        QCOMPARE(notAnIntegerMessage("$"), QStringLiteral("'$' is not a valid integer value"));
        QCOMPARE(notAFloatMessage("x"), QStringLiteral("'x' is not a valid floating point value"));
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
