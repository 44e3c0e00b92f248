#include "editors/curves.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"
#include "app/ui/guard.h"
#include "core/codepage.h"
#include "core/files.h"
#include "core/rules.h"
#include "core/state.h"
#include "editors/editorkit.h"
#include "link/online.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

namespace vkm {

int curveRowCount(const CurveRows& rows)
{
    int n = 0;
    while (n < int(rows.size()) && n < kCurvePoints && !rows[n].first.isEmpty() && !rows[n].second.isEmpty())
        ++n;
    return n;
}

namespace {

int32_t hundredths(const QString& text)
{
    const auto v = parseDecimal(text);
    if (!v)
        throw std::runtime_error(notAFloatMessage(text).toStdString());
    return scaleDecimal(*v, 100);
}

} // namespace

std::vector<std::pair<int32_t, int32_t>> curvePointsFromRows(const CurveRows& rows)
{
    std::vector<std::pair<int32_t, int32_t>> points;
    const int n = curveRowCount(rows);
    for (int r = 0; r < n; ++r)
        points.emplace_back(hundredths(rows[r].first), hundredths(rows[r].second));
    return points;
}

QString curveCellText(int32_t v)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    return loc.toString(v / 100.0, 'f', QLocale::FloatingPointShortest);
}

int storedCurveLength(const int32_t (&curve)[kCurvePoints][2])
{
    int n = 0;
    while (n < kCurvePoints && curve[n][0] != 0)
        ++n;
    return n;
}

QByteArray curveCsv(const CurveRows& rows)
{
    QByteArray out;
    const int n = curveRowCount(rows);
    for (int r = 0; r < n; ++r)
        out += toCp1251(QStringLiteral("%1 ; %2").arg(rows[r].first, rows[r].second)) + "\r\n";
    return out;
}

QString csvFileName(const QString& chosen)
{
    return QFileInfo(chosen).suffix().isEmpty() ? chosen + QStringLiteral(".csv") : chosen;
}

namespace {

// Cells take digits, "," and "." only, and every keystroke reaches the table
// at once so that the chart follows the typing.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QStringLiteral("CellEditor"));
        e->setFrame(false);
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9,.]*")), e));
        connect(e, &QLineEdit::textEdited, this, [this, e] {
            emit const_cast<CellDelegate*>(this)->commitData(e);
        });
        return e;
    }
};

QImage squareMarker()
{
    QImage img(9, 9, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::red);
    QPainter p(&img);
    p.setPen(QColor(128, 0, 0));
    p.drawRect(0, 0, 8, 8);
    return img;
}

} // namespace

TFormCurves::TFormCurves(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("FormCurves"));
    setWindowTitle(QStringLiteral("Модуль/Кривые"));

    QStringList curves;
    for (int c = 1; c <= kEditedCurves; ++c)
        curves << QStringLiteral("Кривая %1").arg(c);
    list_ = makeList(this, QStringLiteral("ComboBox1"), curves);

    grid_ = new QTableWidget(kCurvePoints, 3, this);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setHorizontalHeaderLabels({QString(), QStringLiteral("x"), QStringLiteral("y(x)")});
    grid_->verticalHeader()->hide();
    grid_->setColumnWidth(0, 36);
    grid_->setColumnWidth(1, 80);
    grid_->setColumnWidth(2, 80);
    grid_->setItemDelegate(new CellDelegate(grid_));
    grid_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grid_->setMinimumWidth(36 + 160 + 30);

    chart_ = new QChart;
    chart_->setTitle(QStringLiteral("График"));
    chart_->legend()->hide();
    series_ = new QLineSeries(chart_);
    series_->setName(QStringLiteral("Коррекция"));
    series_->setPen(QPen(Qt::red, 2));
    series_->setColor(Qt::red);
    series_->setLightMarker(squareMarker());
    series_->setMarkerSize(9);
    chart_->addSeries(series_);
    axisX_ = new QValueAxis(chart_);
    axisX_->setTitleText(QStringLiteral("x"));
    axisY_ = new QValueAxis(chart_);
    axisY_->setTitleText(QStringLiteral("y(x)"));
    chart_->addAxis(axisX_, Qt::AlignBottom);
    chart_->addAxis(axisY_, Qt::AlignLeft);
    series_->attachAxis(axisX_);
    series_->attachAxis(axisY_);
    auto* view = new QChartView(chart_, this);
    view->setObjectName(QStringLiteral("Chart1"));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(420, 320);

    auto* exportButton = new QPushButton(QStringLiteral("Экспорт в CSV формат"), this);
    exportButton->setObjectName(QStringLiteral("Button4"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    apply_ = new QPushButton(ApplyCaption, this);
    apply_->setObjectName(QStringLiteral("Button3"));

    auto* choose = new QHBoxLayout;
    choose->addWidget(new QLabel(QStringLiteral("Номер кривой:"), this));
    choose->addWidget(list_);
    choose->addStretch();
    auto* left = new QVBoxLayout;
    left->addLayout(choose);
    left->addWidget(grid_, 1);
    left->addWidget(exportButton);
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addWidget(view, 1);
    auto* buttons = buttonRow({ok, cancel, apply_});
    auto* top = new QVBoxLayout(this);
    top->addLayout(body, 1);
    top->addLayout(buttons);

    connect(list_, &QComboBox::currentIndexChanged, this, &TFormCurves::ComboBox1Change);
    connect(grid_, &QTableWidget::itemChanged, this, &TFormCurves::StringGrid1Change);
    connect(exportButton, &QPushButton::clicked, this, &TFormCurves::Button4Click);
    connect(ok, &QPushButton::clicked, this, &TFormCurves::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, &TFormCurves::Button3Click);

    resetTable();
}

void TFormCurves::setCell(int row, int column, const QString& text)
{
    auto* item = grid_->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        if (column == 0)
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        grid_->setItem(row, column, item);
    }
    item->setText(text);
}

// The table's empty state: 20 point rows with every cell cleared.
void TFormCurves::resetTable()
{
    const QSignalBlocker block(grid_);
    grid_->setRowCount(kCurvePoints);
    for (int r = 0; r < kCurvePoints; ++r)
        for (int c = 0; c < 3; ++c)
            setCell(r, c, QString());
}

CurveRows TFormCurves::tableRows() const
{
    CurveRows rows;
    for (int r = 0; r < kCurvePoints; ++r) {
        const auto* x = grid_->item(r, 1);
        const auto* y = grid_->item(r, 2);
        rows.emplace_back(x ? x->text() : QString(), y ? y->text() : QString());
    }
    return rows;
}

QList<QPointF> TFormCurves::drawnPoints() const { return series_->points(); }

void TFormCurves::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TFormCurves::FormShow()
{
    CurrentCurve = -1;
    {
        const QSignalBlocker block(list_);
        list_->setCurrentIndex(-1);
    }
    resetTable();
    grid_->setEnabled(false);
    series_->clear();
    apply_->setText(ApplyCaption);
}

void TFormCurves::ComboBox1Change(int index)
{
    if (index < 0) {
        CurrentCurve = -1;
        resetTable();
        grid_->setEnabled(false);
        series_->clear();
        return;
    }
    CurrentCurve = index;
    LoadCurve();
}

void TFormCurves::LoadCurve()
{
    if (CurrentCurve < 0)
        return;
    series_->clear();
    resetTable();
    const auto& curve = Settings.CurvePoints[CurrentCurve];
    const int n = storedCurveLength(curve);
    {
        const QSignalBlocker block(grid_);
        // Rows past the twentieth are never read back.
        grid_->setRowCount(kCurvePoints + n);
        for (int p = 0; p < n; ++p) {
            setCell(p, 0, QString::number(p));
            setCell(p, 1, curveCellText(curve[p][0]));
            setCell(p, 2, curveCellText(curve[p][1]));
        }
    }
    grid_->setEnabled(true);
    DrawCurve();
}

void TFormCurves::SaveCurve()
{
    if (CurrentCurve < 0)
        return;
    const auto points = curvePointsFromRows(tableRows());
    auto& curve = Settings.CurvePoints[CurrentCurve];
    for (auto& point : curve)
        point[0] = point[1] = 0;
    for (std::size_t p = 0; p < points.size(); ++p) {
        curve[p][0] = points[p].first;
        curve[p][1] = points[p].second;
    }
}

void TFormCurves::DrawCurve()
{
    series_->clear();
    const CurveRows rows = tableRows();
    const int n = curveRowCount(rows);
    QList<QPointF> points;
    QString bad;
    for (int r = 0; r < n && bad.isEmpty(); ++r) {
        const auto x = parseDecimal(rows[r].first);
        const auto y = parseDecimal(rows[r].second);
        if (!x)
            bad = rows[r].first;
        else if (!y)
            bad = rows[r].second;
        else
            points << QPointF(scaleDecimal(*x, 100) / 100.0, scaleDecimal(*y, 100) / 100.0);
    }
    // The line runs through the points in ascending x, whatever the rows'
    // order.
    std::stable_sort(points.begin(), points.end(), [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    series_->replace(points);

    double x0 = 0, x1 = 1, y0 = 0, y1 = 1;
    if (!points.isEmpty()) {
        x0 = x1 = points.front().x();
        y0 = y1 = points.front().y();
        for (const auto& p : points) {
            x0 = std::min(x0, p.x());
            x1 = std::max(x1, p.x());
            y0 = std::min(y0, p.y());
            y1 = std::max(y1, p.y());
        }
        const double mx = x1 > x0 ? (x1 - x0) * 0.05 : 1;
        const double my = y1 > y0 ? (y1 - y0) * 0.05 : 1;
        x0 -= mx; x1 += mx; y0 -= my; y1 += my;
    }
    axisX_->setRange(x0, x1);
    axisY_->setRange(y0, y1);

    if (!bad.isEmpty())
        throw std::runtime_error(notAFloatMessage(bad).toStdString());
}

void TFormCurves::StringGrid1Change()
{
    guarded(ctx_.prompts, [this] { DrawCurve(); });
}

void TFormCurves::Button1Click()
{
    // A cell that is not a number keeps the dialog open with the edits.
    if (guarded(ctx_.prompts, [this] { SaveCurve(); }))
        accept();
}

void TFormCurves::Button3Click()
{
    if (!guarded(ctx_.prompts, [this] { SaveCurve(); }))
        return;
    LoadCurve();
    applyOnLine(ctx_, kOnlineFrom, kOnlineTo);
}

void TFormCurves::Button4Click()
{
    guarded(ctx_.prompts, [this] {
        const auto chosen = ctx_.prompts.saveFileName(QStringLiteral("CSV Files (*.csv);;All Files (*.*)"));
        if (!chosen)
            return;
        const QString name = csvFileName(*chosen);
        if (QFileInfo::exists(name)
            && ctx_.prompts.ask(Prompter::Kind::Confirmation, QStringLiteral("Такой файл существует. Перезаписать файл?"))
                != Prompter::Answer::Yes)
            return;
        writeFileAtomically(name, curveCsv(tableRows()));
        ctx_.prompts.plain(QStringLiteral("Данные сохранены!"));
    });
}

} // namespace vkm
