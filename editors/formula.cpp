#include "editors/formula.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"
#include "app/ui/guard.h"
#include "core/rules.h"
#include "core/state.h"
#include "editors/onlinewrite.h"
#include "link/online.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace vkm {

namespace {

constexpr int kFormulas = 16;
constexpr int kOperandChannels = 8;
constexpr int kOperandFormulas = 8; // only formulas 1..8 can be operands
constexpr int32_t kNoOperand = 255;
constexpr int32_t kMaxConstant = 32760;

bool validFormula(int f) { return f >= 0 && f < kFormulas; }

} // namespace

std::vector<OperandRow> formulaLeftRows(const SettingsRecord& s)
{
    std::vector<OperandRow> rows;
    for (int n = 0; n < kOperandChannels; ++n)
        if (s.ChannelUse[n] == 1)
            rows.push_back({QStringLiteral("Канал %1").arg(n + 1), OperandRow::Channel, n});
    for (int n = 0; n < kOperandFormulas; ++n)
        if (s.FormulaUse[n] == 1)
            rows.push_back({QStringLiteral("Формула %1").arg(n + 1), OperandRow::Formula, n});
    rows.push_back({QStringLiteral("Константа"), OperandRow::Constant, 0});
    return rows;
}

std::vector<OperandRow> formulaRightRows(const SettingsRecord& s, int f)
{
    std::vector<OperandRow> rows;
    if (!validFormula(f) || s.FormulaUse[f] != 1)
        return rows;
    const int32_t first = s.FormulaFirstOperand[f];
    if (first != kNoOperand) {
        for (int k = 0; k < kOperandChannels; ++k) {
            const QString mark = k == first ? QStringLiteral("*") : QString();
            if (s.FormulaOperands[f][k] == 1 || !mark.isEmpty())
                rows.push_back({mark + QStringLiteral("Канал %1").arg(k + 1), OperandRow::Channel, k});
        }
        for (int k = 8; k < 8 + kOperandFormulas; ++k) {
            const QString mark = k == first ? QStringLiteral("*") : QString();
            if (s.FormulaOperands[f][k] == 1)
                rows.push_back({mark + QStringLiteral("Формула %1").arg(k - 7), OperandRow::Formula, k - 8});
        }
    }
    if (s.FormulaConstant[f] != 0)
        rows.push_back({QStringLiteral("Константа = ") + formulaConstantText(s.FormulaConstant[f]),
                        OperandRow::Constant, s.FormulaConstant[f]});
    return rows;
}

QString formulaConstantText(int32_t stored)
{
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    return loc.toString(stored / 100.0, 'g', QLocale::FloatingPointShortest);
}

std::optional<int32_t> formulaConstantFromText(const QString& text)
{
    const std::optional<double> v = parseDecimal(text);
    if (!v)
        return std::nullopt;
    int32_t c = scaleDecimal(*v, 100);
    if (c > kMaxConstant)
        c = kMaxConstant;
    if (c < 0)
        c = 0;
    return c;
}

void addFormulaOperand(SettingsRecord& s, int f, const OperandRow* row, int operation, int32_t constant)
{
    if (!validFormula(f))
        return;
    if (row) {
        const bool channel = row->kind == OperandRow::Channel && row->number >= 0 && row->number < kOperandChannels;
        const bool formula = row->kind == OperandRow::Formula && row->number >= 0 && row->number < kOperandFormulas;
        if (s.FormulaFirstOperand[f] == kNoOperand) {
            if (channel)
                s.FormulaFirstOperand[f] = row->number;
            else if (formula)
                s.FormulaFirstOperand[f] = 8 + row->number;
        }
        if (channel)
            s.FormulaOperands[f][row->number] = 1;
        else if (formula)
            s.FormulaOperands[f][row->number + 8] = 1;
        else if (row->kind == OperandRow::Constant)
            s.FormulaConstant[f] = constant;
    }
    s.FormulaOperation[f] = operation < 0 ? 0 : operation;
    s.FormulaUse[f] = 1;
}

void removeFormulaOperand(SettingsRecord& s, int f, const OperandRow* row)
{
    if (!validFormula(f))
        return;
    if (row) {
        if (row->kind == OperandRow::Channel && row->number >= 0 && row->number < kOperandChannels) {
            s.FormulaOperands[f][row->number] = 0;
            if (s.FormulaFirstOperand[f] == row->number)
                s.FormulaFirstOperand[f] = kNoOperand;
        } else if (row->kind == OperandRow::Formula && row->number >= 0 && row->number < kOperandFormulas) {
            s.FormulaOperands[f][row->number + 8] = 0;
            if (s.FormulaFirstOperand[f] == row->number + 8)
                s.FormulaFirstOperand[f] = kNoOperand;
        } else if (row->kind == OperandRow::Constant) {
            s.FormulaConstant[f] = 0;
        }
    }
    // Without its first operand the formula is gone: every operand flag, the
    // constant and the defined flag are cleared; the operation code stays.
    if (s.FormulaFirstOperand[f] == kNoOperand) {
        for (int32_t& flag : s.FormulaOperands[f])
            flag = 0;
        s.FormulaConstant[f] = 0;
        s.FormulaUse[f] = 0;
    }
}

TFormFormula::TFormFormula(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), poll_([this] { TimerAnalogTimer(); })
{
    setObjectName(QStringLiteral("FormFormula"));
    setWindowTitle(QStringLiteral("Модуль/Формулы"));

    ComboBox1 = new QComboBox;
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setPlaceholderText(QStringLiteral("Выбрать"));
    for (int n = 1; n <= kFormulas; ++n)
        ComboBox1->addItem(QStringLiteral("Формула %1").arg(n));
    ComboBox2 = new QComboBox;
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->setPlaceholderText(QStringLiteral("Выбрать"));
    ComboBox2->addItems({QStringLiteral("Выбрать"), QStringLiteral("Сложение"), QStringLiteral("Вычитание"),
                         QStringLiteral("Умножение"), QStringLiteral("Деление")});

    ListBox1 = new QListWidget;
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox2 = new QListWidget;
    ListBox2->setObjectName(QStringLiteral("ListBox2"));
    Button1 = new QPushButton(QStringLiteral("Добавить"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Удалить"));
    Button2->setObjectName(QStringLiteral("Button2"));

    Edit1 = new QLineEdit(QStringLiteral("0"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);

    OKBtn = new QPushButton(QStringLiteral("OK"));
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"));
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    ApplyBtn = new QPushButton(ApplyCaption);
    ApplyBtn->setObjectName(QStringLiteral("ApplyBtn"));

    auto* top = new QGridLayout;
    top->addWidget(new QLabel(QStringLiteral("Номер формулы:")), 0, 0);
    top->addWidget(ComboBox1, 0, 1);
    top->addWidget(new QLabel(QStringLiteral("Операция:")), 1, 0);
    top->addWidget(ComboBox2, 1, 1);

    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(Button1);
    middle->addWidget(Button2);
    middle->addStretch();

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Параметры:")), 0, 0);
    lists->addWidget(new QLabel(QStringLiteral("Расчеты:")), 0, 2);
    lists->addWidget(ListBox1, 1, 0);
    lists->addLayout(middle, 1, 1);
    lists->addWidget(ListBox2, 1, 2);

    auto* result = new QHBoxLayout;
    result->addWidget(new QLabel(QStringLiteral("Результат:")));
    result->addWidget(Edit1);

    auto* buttons = buttonRow({OKBtn, CancelBtn, ApplyBtn});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(lists);
    layout->addLayout(result);
    layout->addLayout(buttons);
    resize(460, 380);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TFormFormula::ComboBox1Change);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TFormFormula::ComboBox2Change);
    connect(Button1, &QPushButton::clicked, this, &TFormFormula::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFormFormula::Button2Click);
    connect(OKBtn, &QPushButton::clicked, this, &TFormFormula::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TFormFormula::CancelBtnClick);
    connect(ApplyBtn, &QPushButton::clicked, this, &TFormFormula::ApplyBtnClick);
}

int TFormFormula::chosenFormula() const
{
    return ComboBox1->currentIndex();
}

void TFormFormula::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TFormFormula::hideEvent(QHideEvent* e)
{
    poll_.stop();
    QDialog::hideEvent(e);
}

void TFormFormula::FormShow()
{
    poll_.stop();
    ListBox1->clear();
    left_.clear();
    ListBox2->clear();
    right_.clear();
    ComboBox1->setCurrentIndex(-1);
    ComboBox2->setCurrentIndex(-1);
    LoadLeftPanel();
    ApplyBtn->setText(ApplyCaption);
    // "Результат:" keeps its last text from one showing to the next.
}

void TFormFormula::LoadLeftPanel()
{
    left_ = formulaLeftRows(Settings);
    ListBox1->clear();
    for (const OperandRow& r : left_)
        ListBox1->addItem(r.text);
}

void TFormFormula::LoadRightPanel(int f)
{
    right_ = formulaRightRows(Settings, f);
    ListBox2->clear();
    for (const OperandRow& r : right_)
        ListBox2->addItem(r.text);
}

void TFormFormula::ComboBox1Change(int index)
{
    if (!validFormula(index))
        return;
    LoadRightPanel(index);
    const int32_t op = Settings.FormulaOperation[index];
    ComboBox2->setCurrentIndex(op >= 0 && op < ComboBox2->count() ? op : -1);
    poll_.start();
}

void TFormFormula::ComboBox2Change(int)
{
    if (validFormula(chosenFormula()))
        LoadRightPanel(chosenFormula());
}

void TFormFormula::Button1Click()
{
    guarded(ctx_.prompts, [this] {
        const int f = chosenFormula();
        if (!validFormula(f))
            return;
        const int r = ListBox1->currentRow();
        const OperandRow* row = r >= 0 && r < int(left_.size()) ? &left_[r] : nullptr;
        int32_t constant = 0;
        if (row && row->kind == OperandRow::Constant) {
            // Cancelling the box changes nothing; a text that is not a number
            // is reported and the press stores nothing either.
            const QString initial = formatFixed2(0.0);
            const std::optional<QString> text =
                ctx_.prompts.inputText(QStringLiteral("Ввод константы"), QStringLiteral("Константа:"), initial);
            if (!text)
                return;
            const std::optional<int32_t> v = formulaConstantFromText(*text);
            if (!v)
                throw std::runtime_error(notAFloatMessage(*text).toStdString());
            constant = *v;
        }
        addFormulaOperand(Settings, f, row, ComboBox2->currentIndex(), constant);
        LoadRightPanel(f);
    });
}

void TFormFormula::Button2Click()
{
    const int f = chosenFormula();
    if (!validFormula(f))
        return;
    const int r = ListBox2->currentRow();
    const OperandRow* row = r >= 0 && r < int(right_.size()) ? &right_[r] : nullptr;
    removeFormulaOperand(Settings, f, row);
    LoadRightPanel(f);
}

void TFormFormula::storeOperation()
{
    const int f = chosenFormula();
    const int op = ComboBox2->currentIndex();
    if (validFormula(f) && op >= 1) {
        Settings.FormulaOperation[f] = op;
        Settings.FormulaUse[f] = 1;
    }
}

void TFormFormula::OKBtnClick()
{
    storeOperation();
    accept();
}

void TFormFormula::CancelBtnClick()
{
    reject();
}

void TFormFormula::ApplyBtnClick()
{
    storeOperation();
    if (OnlineMode)
        writeOnLineWhenIdle(ctx_, kOnlineFrom, kOnlineTo);
}

void TFormFormula::TimerAnalogTimer()
{
    const int f = chosenFormula();
    if (!validFormula(f))
        return;
    // Formula values carry one decimal.
    Edit1->setText(liveScaled(readLive(ctx_.protocol, LiveRequest::ParameterValue, uint32_t(8 + f)), 10));
}

} // namespace vkm
