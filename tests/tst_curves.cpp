// The curves editor: the table as loaded and stored, the cut at the first
// x of 0 or the first empty row, halves to even, the drawing, the input
// filter, the all-or-nothing store and the CSV export.

#include "editorfixture.h"

#include "core/defaults.h"
#include "core/state.h"
#include "editors/curves.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstring>

using namespace vkm;

namespace {

// '.' in a test text stands for the locale's decimal separator.
QString loc(QString s) { return s.replace('.', QLocale().decimalPoint()); }

void storeCurve(int c, std::initializer_list<std::pair<int, int>> points)
{
    int p = 0;
    for (auto [x, y] : points) {
        Settings.CurvePoints[c][p][0] = x;
        Settings.CurvePoints[c][p][1] = y;
        ++p;
    }
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll();
}

} // namespace

class TestCurves : public QObject {
    Q_OBJECT

    EditorFixture f;
    std::unique_ptr<TFormCurves> d;
    QTableWidget* grid = nullptr;
    QComboBox* list = nullptr;

    QString cell(int row, int col) const
    {
        const auto* item = grid->item(row, col);
        return item ? item->text() : QString();
    }
    void type(int row, const QString& x, const QString& y)
    {
        grid->item(row, 1)->setText(loc(x));
        grid->item(row, 2)->setText(loc(y));
    }
    void click(const char* name) { child<QPushButton>(d.get(), name)->click(); }

private slots:
    void init()
    {
        ResetDefaults(Settings);
        std::memset(Settings.CurvePoints, 0, sizeof Settings.CurvePoints);
        EditorFixture::setOnline(false);
        f.prompts.clear();
        f.writes.clear();
        d = std::make_unique<TFormCurves>(f.ctx);
        grid = child<QTableWidget>(d.get(), "StringGrid1");
        list = child<QComboBox>(d.get(), "ComboBox1");
        d->show();
    }
    void cleanup()
    {
        QVERIFY2(f.prompts.unexpected.isEmpty(), qPrintable(f.prompts.unexpected.join('\n')));
        d.reset();
    }

    void cellText_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("12.5") << 1250 << "12.5";
        QTest::newRow("12") << 1200 << "12";
        QTest::newRow("hundredths") << 5 << "0.05";
        QTest::newRow("negative") << -150 << "-1.5";
        QTest::newRow("large, no group separator") << 123456789 << "1234567.89";
    }
    void cellText()
    {
        QFETCH(int, stored);
        QFETCH(QString, shown);
        QCOMPARE(curveCellText(stored), loc(shown));
    }

    void openingState()
    {
        QCOMPARE(d->windowTitle(), QString("Модуль/Кривые"));
        QCOMPARE(list->count(), 8);
        QCOMPARE(list->itemText(7), QString("Кривая 8"));
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->placeholderText(), QString("Выбрать"));
        QCOMPARE(grid->rowCount(), 20);
        QVERIFY(!grid->isEnabled());
        QCOMPARE(grid->horizontalHeaderItem(1)->text(), QString("x"));
        QCOMPARE(grid->horizontalHeaderItem(2)->text(), QString("y(x)"));
        QVERIFY(d->drawnPoints().isEmpty());
    }

    // Shown up to the first x of 0; the next store drops the rest.
    void cutAtFirstZeroX()
    {
        storeCurve(2, {{150, 200}, {300, 400}, {0, 700}, {500, 600}});
        list->setCurrentIndex(2);
        QVERIFY(grid->isEnabled());
        QCOMPARE(grid->rowCount(), 22);
        QCOMPARE(cell(0, 0), QString("0"));
        QCOMPARE(cell(0, 1), loc("1.5"));
        QCOMPARE(cell(0, 2), QString("2"));
        QCOMPARE(cell(1, 0), QString("1"));
        QCOMPARE(cell(1, 1), QString("3"));
        QCOMPARE(cell(2, 1), QString());
        QCOMPARE(cell(3, 1), QString());
        QCOMPARE(d->drawnPoints(), (QList<QPointF>{{1.5, 2}, {3, 4}}));
        click("Button1");
        QVERIFY(!d->isVisible());
        QCOMPARE(Settings.CurvePoints[2][1][0], 300);
        QCOMPARE(Settings.CurvePoints[2][2][1], 0);
        QCOMPARE(Settings.CurvePoints[2][3][0], 0);
        QCOMPARE(Settings.CurvePoints[2][3][1], 0);
    }

    void firstXZeroApplied()
    {
        storeCurve(0, {{100, 100}, {200, 200}});
        list->setCurrentIndex(0);
        type(0, "0", "5");
        click("Button3");
        QCOMPARE(Settings.CurvePoints[0][0][1], 500);
        QCOMPARE(Settings.CurvePoints[0][1][0], 200); // stored, but past the end of the curve
        QCOMPARE(grid->rowCount(), 20);
        for (int r = 0; r < 20; ++r)
            QVERIFY(cell(r, 1).isEmpty() && cell(r, 0).isEmpty());
        QVERIFY(d->isVisible());
    }

    // 2.125 stores as 212 and draws at 2.12; the export keeps the text as
    // typed; an empty row ends the curve for all three.
    void threeDecimalsAndEmptyRow()
    {
        list->setCurrentIndex(1);
        type(0, "2.125", "1");
        type(1, "3", "2.375");
        type(2, "4", "");
        type(3, "5", "5");
        QCOMPARE(d->drawnPoints(), (QList<QPointF>{{2.12, 1}, {3, 2.38}}));
        QTemporaryDir dir;
        const QString path = dir.filePath("curve.csv");
        f.prompts.file(path);
        click("Button4");
        QCOMPARE(f.prompts.shown, (QStringList{"Save", "Plain: Данные сохранены!"}));
        QCOMPARE(readFile(path), loc("2.125 ; 1\r\n3 ; 2.375\r\n").toLatin1());
        click("Button3");
        QCOMPARE(Settings.CurvePoints[1][0][0], 212);
        QCOMPARE(Settings.CurvePoints[1][1][1], 238);
        QCOMPARE(Settings.CurvePoints[1][2][0], 0);
        QCOMPARE(cell(0, 1), loc("2.12"));
        QCOMPARE(cell(3, 1), QString()); // the row after the gap is gone
        QCOMPARE(grid->rowCount(), 22);
    }

    void drawnInAscendingX()
    {
        list->setCurrentIndex(0);
        type(0, "3", "1");
        type(1, "1", "2");
        type(2, "2", "3");
        QCOMPARE(d->drawnPoints(), (QList<QPointF>{{1, 2}, {2, 3}, {3, 1}}));
    }

    void switchingCurvesLeavesNoRows()
    {
        for (int p = 0; p < 20; ++p) {
            Settings.CurvePoints[4][p][0] = (p + 1) * 100;
            Settings.CurvePoints[4][p][1] = p * 10;
        }
        storeCurve(5, {{700, 800}});
        list->setCurrentIndex(4);
        QCOMPARE(grid->rowCount(), 40);
        QCOMPARE(cell(19, 1), QString("20"));
        type(0, "9", "9"); // an edit that is not stored
        list->setCurrentIndex(5);
        QCOMPARE(grid->rowCount(), 21);
        QCOMPARE(cell(0, 1), QString("7"));
        for (int r = 1; r < 21; ++r)
            QVERIFY(cell(r, 0).isEmpty() && cell(r, 1).isEmpty() && cell(r, 2).isEmpty());
        QCOMPARE(Settings.CurvePoints[4][0][0], 100);
        list->setCurrentIndex(-1);
        QCOMPARE(d->currentCurve(), -1);
        QVERIFY(!grid->isEnabled());
        QCOMPARE(grid->rowCount(), 20);
        QVERIFY(d->drawnPoints().isEmpty());
    }

    // Only digits, "," and "." reach a cell; each keystroke redraws.
    void inputFilter()
    {
        list->setCurrentIndex(0);
        grid->item(0, 2)->setText("1");
        grid->setCurrentCell(0, 1);
        grid->editItem(grid->item(0, 1));
        auto* editor = grid->findChild<QLineEdit*>("CellEditor");
        QVERIFY(editor);
        typeText(editor, loc("-1a2 .5e"));
        QCOMPARE(editor->text(), loc("12.5"));
        QCOMPARE(cell(0, 1), loc("12.5"));
        QCOMPARE(d->drawnPoints(), (QList<QPointF>{{12.5, 1}}));
        QTest::keyClick(editor, Qt::Key_Backspace);
        QCOMPARE(cell(0, 1), loc("12."));
    }

    // A cell that is not a number: the error box, the stored curve as it
    // was, OK keeps the dialog open; Apply neither reloads nor writes.
    void notANumberStoresNothing()
    {
        storeCurve(3, {{100, 200}, {300, 400}, {500, 600}});
        EditorFixture::setOnline(true);
        d->hide();
        d->show();
        list->setCurrentIndex(3);
        type(0, "1.5", "2");
        f.prompts.clear();
        grid->item(1, 2)->setText("4,5.6");
        QCOMPARE(f.prompts.shown, QStringList{"Error: '4,5.6' is not a valid floating point value"});
        QCOMPARE(d->drawnPoints(), (QList<QPointF>{{1.5, 2}}));
        f.prompts.clear();
        click("Button1");
        QCOMPARE(f.prompts.shown, QStringList{"Error: '4,5.6' is not a valid floating point value"});
        QVERIFY(d->isVisible());
        click("Button3");
        QVERIFY(f.writes.isEmpty());
        QCOMPARE(cell(1, 2), QString("4,5.6"));
        QCOMPARE(Settings.CurvePoints[3][0][0], 100);
        QCOMPARE(Settings.CurvePoints[3][1][1], 400);
        QCOMPARE(Settings.CurvePoints[3][2][0], 500);
        EditorFixture::setOnline(false);
    }

    void noCurveChosen()
    {
        storeCurve(0, {{100, 200}});
        const auto before = QByteArray(reinterpret_cast<const char*>(Settings.CurvePoints), sizeof Settings.CurvePoints);
        QTemporaryDir dir;
        f.prompts.file(dir.filePath("empty"));
        click("Button4");
        QCOMPARE(readFile(dir.filePath("empty.csv")), QByteArray());
        click("Button3");
        click("Button1");
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(Settings.CurvePoints), sizeof Settings.CurvePoints), before);
    }

    void exportNames_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension") << "points" << "points.csv";
        QTest::newRow("csv") << "points.csv" << "points.csv";
        QTest::newRow("other extension") << "points.txt" << "points.txt";
        QTest::newRow("dot in folder only") << "a.b/points" << "a.b/points.csv";
    }
    void exportNames()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QTemporaryDir dir;
        QDir(dir.path()).mkdir("a.b");
        QCOMPARE(csvFileName(dir.filePath(chosen)), dir.filePath(written));
        list->setCurrentIndex(0);
        type(0, "1", "2");
        f.prompts.file(dir.filePath(chosen));
        click("Button4");
        QCOMPARE(readFile(dir.filePath(written)), QByteArray("1 ; 2\r\n"));
    }

    void exportOverwrite()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("c.csv");
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        list->setCurrentIndex(0);
        type(0, "1", "2");

        f.prompts.file(path);
        f.prompts.answer(Prompter::Answer::No);
        click("Button4");
        QCOMPARE(f.prompts.shown, (QStringList{"Save", "Question Confirmation: Такой файл существует. Перезаписать файл?"}));
        QCOMPARE(readFile(path), QByteArray("old"));

        f.prompts.clear();
        f.prompts.file(path);
        f.prompts.answer(Prompter::Answer::Yes);
        click("Button4");
        QCOMPARE(f.prompts.last(), QString("Plain: Данные сохранены!"));
        QCOMPARE(readFile(path), QByteArray("1 ; 2\r\n"));

        f.prompts.clear();
        f.prompts.file(std::nullopt); // cancelled
        click("Button4");
        QCOMPARE(f.prompts.shown, QStringList{"Save"});
    }

    void exportFailure()
    {
        QTemporaryDir dir;
        f.prompts.file(dir.filePath("missing/folder/c.csv"));
        click("Button4");
        QCOMPARE(f.prompts.shown.size(), 2);
        QVERIFY(f.prompts.last().startsWith("Error: "));
        QVERIFY(!f.prompts.shown.contains("Plain: Данные сохранены!"));
    }
};

int main(int argc, char** argv) { return runInTwoLocales<TestCurves>(argc, argv); }

#include "tst_curves.moc"
