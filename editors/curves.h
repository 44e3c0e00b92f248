#pragma once
// The curves editor "Модуль/Кривые": the correction curves 1 to 8 as a table
// of up to twenty points (x, y(x)), drawn while they are typed, stored x100
// and exported to CSV.

#include <QDialog>
#include <QList>
#include <QPointF>
#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class QChart;
class QComboBox;
class QLineSeries;
class QPushButton;
class QTableWidget;
class QValueAxis;

namespace vkm {

struct AppContext;

inline constexpr int kCurvePoints = 20;
inline constexpr int kEditedCurves = 8;

// The x and y(x) texts of table rows 1 to 20.
using CurveRows = std::vector<std::pair<QString, QString>>;

// The rows that make the curve: those before the first row with an empty x
// or y(x) cell.
int curveRowCount(const CurveRows& rows);
// The stored points of those rows, x100 with halves to the even neighbour.
// Throws std::runtime_error with the error box text at the first cell that is
// not a number.
std::vector<std::pair<int32_t, int32_t>> curvePointsFromRows(const CurveRows& rows);
// A stored value as the table shows it: the shortest text of v / 100 with
// the locale's separator (1250 is "12.5", 1200 "12").
QString curveCellText(int32_t v);
// The number of stored points: those before the first x of 0.
int storedCurveLength(const int32_t (&curve)[kCurvePoints][2]);
// The CSV file: one "x ; y" line per curve row, texts as typed, CR LF.
QByteArray curveCsv(const CurveRows& rows);
// ".csv" appended to a file name without extension.
QString csvFileName(const QString& chosen);

class TFormCurves : public QDialog {
    Q_OBJECT
public:
    explicit TFormCurves(AppContext& ctx, QWidget* parent = nullptr);

    // All ten curves in the image.
    static constexpr int kOnlineFrom = 156;
    static constexpr int kOnlineTo = 956;

    void LoadCurve();
    // Checks every row it would store before changing the curve; throws
    // (and changes nothing) when a cell is not a number.
    void SaveCurve();
    void DrawCurve();

    int currentCurve() const { return CurrentCurve; }
    // The points drawn, in the order they are joined.
    QList<QPointF> drawnPoints() const;

    void FormShow();
    void ComboBox1Change(int index);
    void StringGrid1Change();
    void Button1Click(); // OK
    void Button3Click(); // Apply
    void Button4Click(); // "Экспорт в CSV формат"

protected:
    void showEvent(QShowEvent* e) override;

private:
    CurveRows tableRows() const;
    void resetTable();
    void setCell(int row, int column, const QString& text);

    AppContext& ctx_;
    int CurrentCurve = -1;
    QComboBox* list_;
    QTableWidget* grid_;
    QChart* chart_;
    QLineSeries* series_;
    QValueAxis* axisX_;
    QValueAxis* axisY_;
    QPushButton* apply_;
};

} // namespace vkm
