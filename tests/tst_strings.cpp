// The identification editor: capacities, code page 1251, cut and shortened
// texts, and the two date fields with their calendar.

#include "editorfixture.h"

#include "core/codepage.h"
#include "core/defaults.h"
#include "core/state.h"
#include "core/textfields.h"
#include "editors/strings.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

using namespace vkm;

namespace {

void store(const TextField& f, const QByteArray& cp1251)
{
    setTextBytes(Settings, f, reinterpret_cast<const uint8_t*>(cp1251.constData()), int(cp1251.size()));
}

QByteArray stored(const TextField& f)
{
    const TextView t = textAt(Settings, f);
    return QByteArray(reinterpret_cast<const char*>(t.chars()), t.length());
}

const TextField& commissioned() { return kTextFields[8]; }
const TextField& installed() { return kTextFields[15]; }

} // namespace

class TestStrings : public QObject {
    Q_OBJECT

    EditorFixture f;

    QLineEdit* edit(QWidget* w, int n) { return child<QLineEdit>(w, qPrintable(QStringLiteral("Edit%1").arg(n))); }

private slots:
    void init()
    {
        ResetDefaults(Settings);
        EditorFixture::setOnline(false);
        f.prompts.clear();
    }
    void cleanup() { QVERIFY2(f.prompts.unexpected.isEmpty(), qPrintable(f.prompts.unexpected.join('\n'))); }

    void dateFormat()
    {
        QCOMPARE(dateFormatFor(QLocale("ru_RU")), QString("dd.MM.yyyy"));
        QCOMPARE(dateFormatFor(QLocale("en_US")), QString("dd/MM/yyyy"));
        QCOMPARE(dateFormatFor(QLocale("de_DE")), QString("dd.MM.yyyy"));
    }

    // Each field takes no more characters than its capacity; a text longer
    // than that from elsewhere is cut when stored.
    void capacities()
    {
        const int capacity[17] = {20, 20, 10, 30, 40, 20, 10, 10, 10, 20, 30, 10, 10, 20, 20, 10, 70};
        TFormStrings s(f.ctx);
        s.show();
        QCOMPARE(s.windowTitle(), QString("Модуль/Идентификация"));
        for (int i = 0; i < 17; ++i) {
            QLineEdit* e = edit(&s, i + 1);
            QCOMPARE(e->maxLength(), capacity[i]);
            if (i == 8 || i == 15) {
                QVERIFY(!e->isVisible()); // the dates' hidden fields
                continue;
            }
            e->clear();
            typeText(e, QString(capacity[i] + 5, QChar(u'Ж')));
            QCOMPARE(e->text().size(), capacity[i]);
        }
        child<QPushButton>(&s, "Button1")->click();
        QCOMPARE(stored(kTextFields[16]), QByteArray(70, char(0xC6)));
        QCOMPARE(int(Settings.CraneExecution.len), 70);
        QCOMPARE(int(Settings.CraneYear.len), 10);

        // A length byte beyond the capacity (a file is taken as it is).
        Settings.CraneClass.len = 200;
        std::memset(Settings.CraneClass.chars, 'Q', 10);
        s.show();
        QCOMPARE(edit(&s, 7)->text(), QString(10, 'Q'));
        child<QPushButton>(&s, "Button3")->click();
        QCOMPARE(int(Settings.CraneClass.len), 10);
    }

    // Shortening stores the new length; the bytes after it are left alone.
    void shortened()
    {
        store(kTextFields[0], toCp1251("КС-55713-1В"));
        store(kTextFields[1], toCp1251("1234"));
        TFormStrings s(f.ctx);
        s.show();
        QCOMPARE(edit(&s, 1)->text(), QString("КС-55713-1В"));
        edit(&s, 1)->setText("КС-55");
        edit(&s, 2)->clear();
        child<QPushButton>(&s, "Button1")->click();
        QCOMPARE(int(Settings.CraneType.len), 5);
        QCOMPARE(stored(kTextFields[0]), toCp1251("КС-55"));
        QCOMPARE(Settings.CraneType.chars[5], uint8_t('7'));
        QCOMPARE(int(Settings.CraneSerial.len), 0);
        s.show();
        QCOMPARE(edit(&s, 1)->text(), QString("КС-55"));
    }

    // A character code page 1251 cannot hold is refused, typed or pasted;
    // those it holds are stored as their bytes.
    void codePage()
    {
        TFormStrings s(f.ctx);
        s.show();
        QLineEdit* e = edit(&s, 4);
        typeText(e, QString::fromUtf8("Ё№Ωx€中"));
        QCOMPARE(e->text(), QString::fromUtf8("Ё№x€"));
        e->insert(QString::fromUtf8("ab\u2603")); // a pasted snowman: refused whole
        QCOMPARE(e->text(), QString::fromUtf8("Ё№x€"));
        child<QPushButton>(&s, "Button1")->click();
        QCOMPARE(stored(kTextFields[3]), QByteArray("\xA8\xB9x\x88"));
    }

    void cancelStoresNothing()
    {
        TFormStrings s(f.ctx);
        s.show();
        edit(&s, 5)->setText("Иванов");
        child<QPushButton>(&s, "Button2")->click();
        QVERIFY(!s.isVisible());
        QCOMPARE(int(Settings.CraneOwner.len), 0);
    }

    void dates_data()
    {
        QTest::addColumn<QString>("text"); // '.' stands for the locale's separator
        QTest::addColumn<bool>("isDate");
        QTest::newRow("date") << "07.04.2008" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("other words") << "не указана" << false;
        QTest::newRow("another separator") << "07-04-2008" << false;
        QTest::newRow("short year") << "07.04.08" << false;
        QTest::newRow("no such day") << "31.02.2008" << false;
    }
    // A stored date text goes back unchanged unless the user sets the date;
    // a set date is stored as the ten characters shown.
    void dates()
    {
        QFETCH(QString, text);
        QFETCH(bool, isDate);
        const QString sep = dateFormatFor(QLocale()).mid(2, 1);
        text.replace('.', sep);
        store(commissioned(), toCp1251(text));
        store(installed(), toCp1251(text));
        TFormStrings s(f.ctx);
        s.show();
        auto* d1 = child<QDateEdit>(&s, "DateEdit1");
        auto* d2 = child<QDateEdit>(&s, "DateEdit2");
        QCOMPARE(edit(&s, 9)->text(), text);
        QCOMPARE(d1->date() == QDate(2008, 4, 7), isDate);
        if (!text.isEmpty())
            QCOMPARE(d1->text(), text);
        child<QPushButton>(&s, "Button3")->click();
        QCOMPARE(stored(commissioned()), toCp1251(text));
        QCOMPARE(stored(installed()), toCp1251(text));

        d2->setDate(QDate(2011, 12, 1));
        child<QPushButton>(&s, "Button1")->click();
        QCOMPARE(stored(commissioned()), toCp1251(text));
        QCOMPARE(stored(installed()), toCp1251("01" + sep + "12" + sep + "2011"));
        QCOMPARE(int(Settings.RecorderInstalled.len), 10);
    }

    // The calendar proposes today for a field that holds no date, the field's
    // date otherwise; its choice only fills the field.
    void calendar()
    {
        TFormStrings s(f.ctx);
        s.show();
        QDate proposed;
        onNextModal([&](QWidget* w) {
            QCOMPARE(w->windowTitle(), QString("Выбор даты"));
            auto* c = child<QCalendarWidget>(w, "Calendar");
            proposed = c->selectedDate();
            c->setSelectedDate(QDate(2008, 4, 7));
            QMetaObject::invokeMethod(w, "accept");
        });
        child<QToolButton>(&s, "DateButton1")->click();
        QCOMPARE(proposed, QDate::currentDate());
        QCOMPARE(child<QDateEdit>(&s, "DateEdit1")->date(), QDate(2008, 4, 7));
        QCOMPARE(int(Settings.CraneCommissioned.len), 0);

        onNextModal([&](QWidget* w) {
            proposed = child<QCalendarWidget>(w, "Calendar")->selectedDate();
            QMetaObject::invokeMethod(w, "reject");
        });
        child<QToolButton>(&s, "DateButton1")->click();
        QCOMPARE(proposed, QDate(2008, 4, 7));
        child<QPushButton>(&s, "Button1")->click();
        QCOMPARE(stored(commissioned()), toCp1251(QDate(2008, 4, 7).toString(dateFormatFor(QLocale()))));
        QCOMPARE(int(Settings.RecorderInstalled.len), 0);
    }
};

int main(int argc, char** argv) { return runInTwoLocales<TestStrings>(argc, argv); }

#include "tst_strings.moc"
