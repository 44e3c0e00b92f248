#include "editors/charactermodule.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"
#include "core/rules.h"
#include "core/state.h"
#include "editors/onlinewrite.h"
#include "link/online.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vkm {

namespace {

constexpr int kCharacteristics = 8;
constexpr int kFirstParameterCode = 32; // "Характеристика 1"

QComboBox* pickList(const char* name, const QString& placeholder)
{
    auto* c = new QComboBox;
    c->setObjectName(QString::fromLatin1(name));
    c->setPlaceholderText(placeholder);
    return c;
}

} // namespace

TFormCharacterModule::TFormCharacterModule(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), poll_([this] { TimerAnalogTimer(); })
{
    setObjectName(QStringLiteral("FormCharacterModule"));
    setWindowTitle(QStringLiteral("Модуль/Характеристики"));

    ComboBox1 = pickList("ComboBox1", QStringLiteral("Номер характеристики"));
    for (int n = 1; n <= kCharacteristics; ++n)
        ComboBox1->addItem(QStringLiteral("Характеристика-%1").arg(n));
    // Inputs are ParameterCode 0..23: the channels and the formulas.
    ComboBox2 = pickList("ComboBox2", QStringLiteral("Выбрать"));
    ComboBox2->addItem(QStringLiteral("Нет"));
    for (int n = 1; n <= 8; ++n)
        ComboBox2->addItem(QStringLiteral("Канал-%1").arg(n));
    for (int n = 1; n <= 16; ++n)
        ComboBox2->addItem(QStringLiteral("Формула %1").arg(n));
    ComboBox3 = pickList("ComboBox3", QStringLiteral("Выбрать"));
    ComboBox3->addItem(QStringLiteral("Нет"));
    for (int n = 1; n <= 8; ++n)
        ComboBox3->addItem(QStringLiteral("Линия %1").arg(n));

    Edit1 = new QLineEdit;
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);

    OKBtn = new QPushButton(QStringLiteral("OK"));
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"));
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    ApplyBtn = new QPushButton(ApplyCaption);
    ApplyBtn->setObjectName(QStringLiteral("ApplyBtn"));

    auto* settingsBox = new QGroupBox(QStringLiteral("Настройки"));
    auto* settingsLayout = new QFormLayout(settingsBox);
    settingsLayout->addRow(QStringLiteral("Характеристика:"), ComboBox1);
    settingsLayout->addRow(QStringLiteral("Входной канал:"), ComboBox2);
    settingsLayout->addRow(QStringLiteral("Номер коррекции:"), ComboBox3);

    auto* readingsBox = new QGroupBox(QStringLiteral("Показания"));
    auto* readingsLayout = new QFormLayout(readingsBox);
    readingsLayout->addRow(QStringLiteral("Реальное значение:"), Edit1);

    auto* buttons = buttonRow({OKBtn, CancelBtn, ApplyBtn});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(settingsBox);
    layout->addWidget(readingsBox);
    layout->addLayout(buttons);
    setMinimumWidth(360);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TFormCharacterModule::ComboBox1Change);
    connect(OKBtn, &QPushButton::clicked, this, &TFormCharacterModule::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TFormCharacterModule::CancelBtnClick);
    connect(ApplyBtn, &QPushButton::clicked, this, &TFormCharacterModule::ApplyBtnClick);

    FormShow();
    poll_.stop(); // polling runs while the dialog is on screen
}

int TFormCharacterModule::chosenCharacteristic() const
{
    return ComboBox1->currentIndex();
}

void TFormCharacterModule::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TFormCharacterModule::hideEvent(QHideEvent* e)
{
    poll_.stop();
    QDialog::hideEvent(e);
}

void TFormCharacterModule::FormShow()
{
    poll_.start();
    ComboBox1->setCurrentIndex(-1);
    Edit1->setText(QStringLiteral("0"));
    ComboBox2->setCurrentIndex(-1);
    ComboBox3->setCurrentIndex(-1);
    ApplyBtn->setText(ApplyCaption);
}

void TFormCharacterModule::LoadACPParams(int c)
{
    if (c < 0 || c >= kCharacteristics)
        return;
    // A characteristic without an input shows, and so stores, no curve.
    if (Settings.CharacteristicInput[c] == 255) {
        ComboBox2->setCurrentIndex(0);
        ComboBox3->setCurrentIndex(0);
        return;
    }
    ComboBox2->setCurrentIndex(listIndexForCode(Settings.CharacteristicInput[c], ComboBox2->count()));
    ComboBox3->setCurrentIndex(listIndexForCode(Settings.CharacteristicCorrection[c], ComboBox3->count()));
}

void TFormCharacterModule::SaveACPParams(int c)
{
    if (c < 0 || c >= kCharacteristics)
        return;
    // A list that shows no item (its loaded value had none) keeps the value.
    if (ComboBox2->currentIndex() >= 0)
        Settings.CharacteristicInput[c] = codeForListIndex(ComboBox2->currentIndex());
    if (ComboBox3->currentIndex() >= 0)
        Settings.CharacteristicCorrection[c] = codeForListIndex(ComboBox3->currentIndex());
}

void TFormCharacterModule::ComboBox1Change(int index)
{
    LoadACPParams(index);
}

void TFormCharacterModule::OKBtnClick()
{
    SaveACPParams(chosenCharacteristic());
    accept();
}

void TFormCharacterModule::CancelBtnClick()
{
    reject();
}

void TFormCharacterModule::ApplyBtnClick()
{
    SaveACPParams(chosenCharacteristic());
    if (OnlineMode)
        writeOnLineWhenIdle(ctx_, kOnlineFrom, kOnlineTo);
}

void TFormCharacterModule::TimerAnalogTimer()
{
    const int c = chosenCharacteristic();
    if (c < 0 || c >= kCharacteristics)
        return;
    Edit1->setText(liveScaled(readLive(ctx_.protocol, LiveRequest::ParameterValue,
                                       uint32_t(kFirstParameterCode + c)), 100));
}

} // namespace vkm
