#include "editors/analogmodule.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"
#include "core/rules.h"
#include "core/state.h"
#include "editors/onlinewrite.h"
#include "link/online.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <limits>

namespace vkm {

namespace {

constexpr int kChannels = 8;

QSpinBox* wholeNumber(const char* name)
{
    auto* s = new QSpinBox;
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    return s;
}

QComboBox* pickList(const char* name, const QString& placeholder)
{
    auto* c = new QComboBox;
    c->setObjectName(QString::fromLatin1(name));
    c->setPlaceholderText(placeholder);
    return c;
}

QLineEdit* readingField(const char* name)
{
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    return e;
}

// The list keeps the stored value when it shows no item (the value loaded had
// none) and the user chose none.
void storeCode(const QComboBox* list, int32_t& field)
{
    if (list->currentIndex() >= 0)
        field = codeForListIndex(list->currentIndex());
}

} // namespace

TFormAnalogModule::TFormAnalogModule(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), poll_([this] { TimerAnalogTimer(); })
{
    setObjectName(QStringLiteral("FormAnalogModule"));
    setWindowTitle(QStringLiteral("Модуль/Аналоговый"));

    ComboBox1 = pickList("ComboBox1", QStringLiteral("Номер канала"));
    for (int n = 1; n <= kChannels; ++n)
        ComboBox1->addItem(QStringLiteral("Канал-%1").arg(n));
    CheckBox1 = new QCheckBox(QStringLiteral("Использовать"));
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));

    ComboBox2 = pickList("ComboBox2", QStringLiteral("Выбрать"));
    ComboBox2->addItems({QStringLiteral("Тонны (Т)"), QStringLiteral("Длина (м)")});
    ComboBox3 = pickList("ComboBox3", QStringLiteral("Выбрать"));
    ComboBox3->addItem(QStringLiteral("Нет"));
    for (int n = 1; n <= 8; ++n)
        ComboBox3->addItem(QStringLiteral("Линия %1").arg(n));
    SpinEdit1 = wholeNumber("SpinEdit1");
    SpinEdit2 = wholeNumber("SpinEdit2");
    SpinEdit3 = wholeNumber("SpinEdit3");
    ComboBox4 = pickList("ComboBox4", QStringLiteral("Выбрать"));
    ComboBox4->addItem(QStringLiteral("Все"));
    for (int n = 1; n <= 16; ++n)
        ComboBox4->addItem(QStringLiteral("K-%1").arg(n));

    Edit1 = readingField("Edit1");
    Edit2 = readingField("Edit2");

    OKBtn = new QPushButton(QStringLiteral("OK"));
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"));
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    ApplyBtn = new QPushButton(ApplyCaption);
    ApplyBtn->setObjectName(QStringLiteral("ApplyBtn"));

    auto* channelBox = new QGroupBox(QStringLiteral("Канал"));
    auto* channelLayout = new QVBoxLayout(channelBox);
    channelLayout->addWidget(ComboBox1);
    channelLayout->addWidget(CheckBox1);

    auto* settingsBox = new QGroupBox(QStringLiteral("Настройки"));
    auto* settingsLayout = new QFormLayout(settingsBox);
    settingsLayout->addRow(QStringLiteral("Тип датчика:"), ComboBox2);
    settingsLayout->addRow(QStringLiteral("Номер коррекции:"), ComboBox3);
    settingsLayout->addRow(QStringLiteral("Фильтрация,ms:"), SpinEdit1);
    settingsLayout->addRow(QStringLiteral("Замыкание:"), SpinEdit2);
    settingsLayout->addRow(QStringLiteral("Обрыв:"), SpinEdit3);
    settingsLayout->addRow(QStringLiteral("Реле управления:"), ComboBox4);

    auto* readingsBox = new QGroupBox(QStringLiteral("Показания"));
    auto* readingsLayout = new QFormLayout(readingsBox);
    readingsLayout->addRow(QStringLiteral("Показание АЦП:"), Edit1);
    readingsLayout->addRow(QStringLiteral("Реальное значение:"), Edit2);

    auto* buttons = buttonRow({OKBtn, CancelBtn, ApplyBtn});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(channelBox);
    layout->addWidget(settingsBox);
    layout->addWidget(readingsBox);
    layout->addLayout(buttons);
    setMinimumWidth(340);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TFormAnalogModule::ComboBox1Change);
    connect(CheckBox1, &QCheckBox::toggled, this, &TFormAnalogModule::CheckBox1Click);
    connect(OKBtn, &QPushButton::clicked, this, &TFormAnalogModule::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TFormAnalogModule::CancelBtnClick);
    connect(ApplyBtn, &QPushButton::clicked, this, &TFormAnalogModule::ApplyBtnClick);

    FormShow();
}

int TFormAnalogModule::chosenChannel() const
{
    return ComboBox1->currentIndex();
}

void TFormAnalogModule::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TFormAnalogModule::hideEvent(QHideEvent* e)
{
    poll_.stop();
    QDialog::hideEvent(e);
}

void TFormAnalogModule::FormShow()
{
    ComboBox1->setCurrentIndex(-1);
    CheckBox1->setChecked(false);
    Edit1->setText(QStringLiteral("0"));
    Edit2->setText(QStringLiteral("0"));
    ComboBox2->setCurrentIndex(-1);
    ComboBox3->setCurrentIndex(-1);
    ComboBox4->setCurrentIndex(-1);
    SpinEdit1->setValue(0);
    SpinEdit2->setValue(0);
    SpinEdit3->setValue(0);
    ApplyBtn->setText(ApplyCaption);
    updateEnabling();
}

void TFormAnalogModule::LoadACPParams(int channel)
{
    if (channel < 0 || channel >= kChannels)
        return;
    CheckBox1->setChecked(Settings.ChannelUse[channel] == 1);
    SpinEdit1->setValue(Settings.InputFilterMs[channel]);
    SpinEdit2->setValue(Settings.InputShortLevel[channel]);
    SpinEdit3->setValue(Settings.InputBreakLevel[channel]);
    const int32_t type = Settings.InputSensorType[channel];
    ComboBox2->setCurrentIndex(type >= 0 && type < ComboBox2->count() ? type : -1);
    ComboBox3->setCurrentIndex(listIndexForCode(Settings.InputCorrection[channel], ComboBox3->count()));
    ComboBox4->setCurrentIndex(listIndexForCode(Settings.InputRelay[channel], ComboBox4->count()));
}

void TFormAnalogModule::SaveACPParams(int channel)
{
    if (channel < 0 || channel >= kChannels)
        return;
    Settings.InputFilterMs[channel] = SpinEdit1->value();
    Settings.InputShortLevel[channel] = SpinEdit2->value();
    Settings.InputBreakLevel[channel] = SpinEdit3->value();
    if (ComboBox2->currentIndex() >= 0)
        Settings.InputSensorType[channel] = ComboBox2->currentIndex();
    storeCode(ComboBox3, Settings.InputCorrection[channel]);
    storeCode(ComboBox4, Settings.InputRelay[channel]);
    Settings.ChannelUse[channel] = CheckBox1->isChecked() ? 1 : 0;
}

void TFormAnalogModule::ComboBox1Change(int index)
{
    LoadACPParams(index);
    updateEnabling();
}

void TFormAnalogModule::CheckBox1Click()
{
    updateEnabling();
}

void TFormAnalogModule::updateEnabling()
{
    const bool on = chosenChannel() >= 0 && CheckBox1->isChecked();
    for (QWidget* w : {static_cast<QWidget*>(ComboBox2), static_cast<QWidget*>(ComboBox3),
                       static_cast<QWidget*>(SpinEdit1), static_cast<QWidget*>(SpinEdit2),
                       static_cast<QWidget*>(SpinEdit3), static_cast<QWidget*>(ComboBox4)})
        w->setEnabled(on);
    if (on)
        poll_.start();
    else
        poll_.stop();
}

void TFormAnalogModule::OKBtnClick()
{
    SaveACPParams(chosenChannel());
    accept();
}

void TFormAnalogModule::CancelBtnClick()
{
    reject();
}

void TFormAnalogModule::ApplyBtnClick()
{
    SaveACPParams(chosenChannel());
    if (OnlineMode)
        writeOnLineWhenIdle(ctx_, kOnlineFrom, kOnlineTo);
}

void TFormAnalogModule::TimerAnalogTimer()
{
    // The channel is looked up before each request: the user may pick another
    // one while a reply is awaited.
    int n = chosenChannel();
    if (n < 0)
        return;
    Edit1->setText(liveUnsigned(readLive(ctx_.protocol, LiveRequest::AdcCode, uint32_t(n))));
    if (!poll_.goesOn() || (n = chosenChannel()) < 0)
        return;
    Edit2->setText(liveScaled(readLive(ctx_.protocol, LiveRequest::ParameterValue, uint32_t(n)), 100));
}

} // namespace vkm
