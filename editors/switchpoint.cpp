#include "editors/switchpoint.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"
#include "app/ui/guard.h"
#include "core/rules.h"
#include "core/state.h"
#include "editors/digitalset.h"
#include "editors/editorkit.h"
#include "link/online.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace vkm {

int32_t levelSourceFor(bool constant, int variableIndex, int32_t stored)
{
    if (constant)
        return kNone;
    if (variableIndex < 0)
        return stored;
    return variableIndex - 1;
}

int variableIndexFor(int32_t source, int itemCount)
{
    if (source < -1 || source >= itemCount - 1)
        return -1;
    return source + 1;
}

namespace {

QLineEdit* numberField(QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setAlignment(Qt::AlignRight);
    return e;
}

int32_t tenths(const QLineEdit* e)
{
    const auto v = parseDecimal(e->text());
    if (!v)
        throw std::runtime_error(notAFloatMessage(e->text()).toStdString());
    return scaleDecimal(*v, 10);
}

// A delay in milliseconds: a whole number, or a decimal rounded to one.
int32_t wholeNumber(const QLineEdit* e)
{
    if (const auto i = parseInteger(e->text()))
        return *i;
    if (const auto v = parseDecimal(e->text()))
        return roundHalfEven(*v);
    throw std::runtime_error(notAnIntegerMessage(e->text()).toStdString());
}

} // namespace

TFormSwitchPoint::TFormSwitchPoint(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("FormSwitchPoint"));
    setWindowTitle(QStringLiteral("Модуль/Точки переключений"));

    QStringList points;
    for (int p = 1; p <= 16; ++p)
        points << QStringLiteral("Точка-%1").arg(p);
    list_ = makeList(this, QStringLiteral("ComboBox1"), points, QStringLiteral("Номер канала"));
    condition_ = makeList(this, QStringLiteral("ComboBox2"),
                          {QStringLiteral("Нет"), QStringLiteral("Максимум"), QStringLiteral("Минимум")});
    param_ = makeList(this, QStringLiteral("ComboBox3"), parameterItems(32));
    constant_ = new QRadioButton(QStringLiteral("Константа"), this);
    constant_->setObjectName(QStringLiteral("RadioButton1"));
    variable_ = new QRadioButton(QStringLiteral("Переменная"), this);
    variable_->setObjectName(QStringLiteral("RadioButton2"));
    auto* radios = new QButtonGroup(this);
    radios->addButton(constant_);
    radios->addButton(variable_);
    level_ = numberField(this, QStringLiteral("Edit1"));
    variableList_ = makeList(this, QStringLiteral("ComboBox4"), parameterItems(40));
    hysteresis_ = numberField(this, QStringLiteral("Edit2"));
    onDelay_ = numberField(this, QStringLiteral("Edit3"));
    offDelay_ = numberField(this, QStringLiteral("Edit4"));
    relay_ = makeList(this, QStringLiteral("ComboBox5"), relayItems());
    inputs_ = new QPushButton(QStringLiteral("Цифровые входы"), this);
    inputs_->setObjectName(QStringLiteral("Button4"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    apply_ = new QPushButton(ApplyCaption, this);
    apply_->setObjectName(QStringLiteral("Button3"));

    auto* pointBox = new QGroupBox(QStringLiteral("Точка"), this);
    auto* pointForm = new QFormLayout(pointBox);
    pointForm->addRow(QStringLiteral("Номер точки срабатывания:"), list_);
    pointForm->addRow(QStringLiteral("Условие:"), condition_);
    pointForm->addRow(QStringLiteral("Контролируемый параметр:"), param_);

    auto* paramBox = new QGroupBox(QStringLiteral("Параметры"), this);
    auto* paramLayout = new QVBoxLayout(paramBox);
    auto* threshold = new QHBoxLayout;
    auto* constCol = new QVBoxLayout;
    constCol->addWidget(constant_);
    constCol->addWidget(level_);
    auto* varCol = new QVBoxLayout;
    varCol->addWidget(variable_);
    varCol->addWidget(variableList_);
    threshold->addLayout(constCol);
    threshold->addLayout(varCol);
    paramLayout->addLayout(threshold);
    auto* paramForm = new QFormLayout;
    paramForm->addRow(QStringLiteral("Гистерезис:"), hysteresis_);
    paramForm->addRow(QStringLiteral("Задержка включения,мсек:"), onDelay_);
    paramForm->addRow(QStringLiteral("Задержка выключения,мсек:"), offDelay_);
    paramLayout->addLayout(paramForm);

    auto* relayBox = new QGroupBox(QStringLiteral("Реле"), this);
    auto* relayForm = new QFormLayout(relayBox);
    relayForm->addRow(QStringLiteral("Реле управления:"), relay_);
    relayForm->addRow(QString(), inputs_);

    auto* buttons = buttonRow({ok, cancel, apply_});
    auto* top = new QVBoxLayout(this);
    top->addWidget(pointBox);
    top->addWidget(paramBox);
    top->addWidget(relayBox);
    top->addLayout(buttons);

    connect(list_, &QComboBox::currentIndexChanged, this, &TFormSwitchPoint::ComboBox1Change);
    connect(constant_, &QRadioButton::toggled, this, &TFormSwitchPoint::RadioChange);
    connect(relay_, &QComboBox::currentIndexChanged, this, &TFormSwitchPoint::RelayChange);
    connect(inputs_, &QPushButton::clicked, this, &TFormSwitchPoint::Button4Click);
    connect(ok, &QPushButton::clicked, this, &TFormSwitchPoint::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, &TFormSwitchPoint::Button3Click);
}

TFormDigitalSet& TFormSwitchPoint::digital() { return TFormDigitalSet::forOwner(ctx_, this); }

void TFormSwitchPoint::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TFormSwitchPoint::FormShow()
{
    point_ = -1;
    {
        const QSignalBlocker block(list_);
        list_->setCurrentIndex(-1);
    }
    condition_->setCurrentIndex(-1);
    param_->setCurrentIndex(-1);
    variableList_->setCurrentIndex(-1);
    relay_->setCurrentIndex(-1);
    level_->setText(formatFixed2(0));
    hysteresis_->setText(formatFixed2(0));
    onDelay_->setText(QStringLiteral("0"));
    offDelay_->setText(QStringLiteral("0"));
    constant_->setChecked(true);
    apply_->setText(ApplyCaption);
    updateEnabling();
}

void TFormSwitchPoint::updateEnabling()
{
    level_->setEnabled(constant_->isChecked());
    variableList_->setEnabled(variable_->isChecked());
    inputs_->setEnabled(relay_->currentIndex() >= 1);
}

void TFormSwitchPoint::RadioChange() { updateEnabling(); }
void TFormSwitchPoint::RelayChange(int) { updateEnabling(); }

void TFormSwitchPoint::ComboBox1Change(int index)
{
    point_ = index < 0 ? -1 : index;
    if (point_ >= 0)
        LoadRelay(point_);
}

void TFormSwitchPoint::LoadRelay(int p)
{
    const int32_t cond = Settings.PointCondition[p];
    condition_->setCurrentIndex(cond >= 0 && cond < condition_->count() ? cond : -1);
    loadCodeList(param_, Settings.PointParam[p]);
    loadCodeList(relay_, Settings.PointRelay[p]);
    const int32_t source = Settings.PointLevelSource[p];
    if (source == kNone) {
        constant_->setChecked(true);
        variableList_->setCurrentIndex(0);
    } else {
        variable_->setChecked(true);
        variableList_->setCurrentIndex(variableIndexFor(source, variableList_->count()));
    }
    level_->setText(formatFixed2(Settings.PointLevel[p] / 10.0));
    hysteresis_->setText(formatFixed2(Settings.PointHysteresis[p] / 10.0));
    onDelay_->setText(QString::number(Settings.PointOnDelayMs[p]));
    offDelay_->setText(QString::number(Settings.PointOffDelayMs[p]));
    auto& d = digital();
    d.loadFrom(Settings.PointInputMask[p], Settings.PointInputState[p]);
    d.LoadDigital();
    updateEnabling();
}

SwitchPointValues TFormSwitchPoint::readFields() const
{
    SwitchPointValues v;
    v.level = tenths(level_);
    v.hysteresis = tenths(hysteresis_);
    v.onDelay = wholeNumber(onDelay_);
    v.offDelay = wholeNumber(offDelay_);
    return v;
}

void TFormSwitchPoint::SaveRelay(int p)
{
    if (p < 0)
        return;
    // Every field is read first, so that a text that is not a number leaves
    // the point as it was stored.
    const SwitchPointValues v = readFields();
    if (condition_->currentIndex() >= 0)
        Settings.PointCondition[p] = condition_->currentIndex();
    Settings.PointParam[p] = saveCodeList(param_);
    Settings.PointRelay[p] = saveCodeList(relay_);
    Settings.PointLevelSource[p] =
        levelSourceFor(constant_->isChecked(), variableList_->currentIndex(), Settings.PointLevelSource[p]);
    Settings.PointLevel[p] = v.level;
    Settings.PointHysteresis[p] = v.hysteresis;
    Settings.PointOnDelayMs[p] = v.onDelay;
    Settings.PointOffDelayMs[p] = v.offDelay;
    digital().storeInto(Settings.PointInputMask[p], Settings.PointInputState[p]);
}

void TFormSwitchPoint::Button4Click() { digital().edit(); }

void TFormSwitchPoint::Button1Click()
{
    // A field that is not a number keeps the dialog open with the edits.
    if (guarded(ctx_.prompts, [this] { SaveRelay(point_); }))
        accept();
}

void TFormSwitchPoint::Button3Click()
{
    if (guarded(ctx_.prompts, [this] { SaveRelay(point_); }))
        applyOnLine(ctx_, kOnlineFrom, kOnlineTo);
}

} // namespace vkm
