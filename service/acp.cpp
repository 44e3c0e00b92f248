#include "service/acp.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"
#include "core/rules.h"
#include "core/state.h"
#include "editors/onlinewrite.h"
#include "link/online.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace vkm {

namespace {

constexpr int kChannels = 8;

QSpinBox* adcCodeField(const char* name)
{
    auto* s = new QSpinBox;
    s->setObjectName(QString::fromLatin1(name));
    s->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    return s;
}

QLineEdit* readingField(const char* name)
{
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    return e;
}

} // namespace

std::optional<double> calibratedValue(int code, int inMin, double outMin, int inMax, double outMax)
{
    const double span = double(inMax) - double(inMin);
    if (span == 0)
        return std::nullopt;
    return outMin + (double(code) - double(inMin)) * (outMax - outMin) / span;
}

DecimalSpinBox::DecimalSpinBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    setDecimals(6);
    // Whatever x100 still fits the 32-bit field.
    const double limit = std::numeric_limits<int32_t>::max() / 100.0;
    setRange(-limit, limit);
}

QString DecimalSpinBox::textFromValue(double value) const
{
    QLocale loc = locale();
    loc.setNumberOptions(QLocale::OmitGroupSeparator);
    const double hundredths = value * 100;
    if (std::abs(hundredths - std::round(hundredths)) < 1e-6)
        return loc.toString(value, 'f', 2);
    return loc.toString(value, 'f', decimals()).remove(QRegularExpression(QStringLiteral("0+$")));
}

TFormACP::TFormACP(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), poll_([this] { TimerAnalogTimer(); })
{
    setObjectName(QStringLiteral("FormACP"));
    setWindowTitle(QStringLiteral("Регулировка АЦП"));

    ComboBox1 = new QComboBox;
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setPlaceholderText(QStringLiteral("Номер канала"));
    for (int n = 1; n <= kChannels; ++n)
        ComboBox1->addItem(QStringLiteral("Канал %1").arg(n));

    Edit1 = readingField("Edit1");
    Edit2 = readingField("Edit2");
    SpinEdit1 = adcCodeField("SpinEdit1");
    FloatEdit1 = new DecimalSpinBox;
    FloatEdit1->setObjectName(QStringLiteral("FloatEdit1"));
    SpinEdit2 = adcCodeField("SpinEdit2");
    FloatEdit2 = new DecimalSpinBox;
    FloatEdit2->setObjectName(QStringLiteral("FloatEdit2"));

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

    auto* readingsBox = new QGroupBox(QStringLiteral("Показания"));
    auto* readingsLayout = new QGridLayout(readingsBox);
    readingsLayout->addWidget(new QLabel(QStringLiteral("Показание АЦП:")), 0, 0);
    readingsLayout->addWidget(new QLabel(QStringLiteral("Реальное значение:")), 0, 1);
    readingsLayout->addWidget(Edit1, 1, 0);
    readingsLayout->addWidget(Edit2, 1, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(channelBox);
    top->addWidget(readingsBox, 1);

    auto* pointsBox = new QGroupBox(QStringLiteral("Регулировка"));
    auto* points = new QGridLayout(pointsBox);
    points->addWidget(new QLabel(QStringLiteral("Показание АЦП:")), 0, 1);
    points->addWidget(new QLabel(QStringLiteral("Реальное значение:")), 0, 2);
    points->addWidget(new QLabel(QStringLiteral("Минимум:")), 1, 0);
    points->addWidget(SpinEdit1, 1, 1);
    points->addWidget(FloatEdit1, 1, 2);
    points->addWidget(new QLabel(QStringLiteral("Максимум")), 2, 0);
    points->addWidget(SpinEdit2, 2, 1);
    points->addWidget(FloatEdit2, 2, 2);

    auto* buttons = buttonRow({OKBtn, CancelBtn, ApplyBtn});

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pointsBox);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TFormACP::ComboBox1Change);
    connect(OKBtn, &QPushButton::clicked, this, &TFormACP::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TFormACP::CancelBtnClick);
    connect(ApplyBtn, &QPushButton::clicked, this, &TFormACP::ApplyBtnClick);

    FormShow();
}

int TFormACP::chosenChannel() const
{
    return ComboBox1->currentIndex();
}

void TFormACP::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TFormACP::hideEvent(QHideEvent* e)
{
    poll_.stop();
    QDialog::hideEvent(e);
}

void TFormACP::FormShow()
{
    poll_.stop();
    ComboBox1->setCurrentIndex(-1);
    Edit1->setText(QStringLiteral("0"));
    Edit2->setText(QStringLiteral("0"));
    SpinEdit1->setValue(0);
    FloatEdit1->setValue(0);
    SpinEdit2->setValue(0);
    FloatEdit2->setValue(0);
    ApplyBtn->setText(ApplyCaption);
}

void TFormACP::LoadACP(int channel)
{
    if (channel < 0 || channel >= kChannels)
        return;
    SpinEdit1->setValue(Settings.ScaleInMin[channel]);
    FloatEdit1->setValue(Settings.ScaleOutMin[channel] / 100.0);
    SpinEdit2->setValue(Settings.ScaleInMax[channel]);
    FloatEdit2->setValue(Settings.ScaleOutMax[channel] / 100.0);
}

void TFormACP::SaveACP(int channel)
{
    if (channel < 0 || channel >= kChannels)
        return;
    Settings.ScaleInMin[channel] = SpinEdit1->value();
    Settings.ScaleOutMin[channel] = scaleDecimal(FloatEdit1->value(), 100);
    Settings.ScaleInMax[channel] = SpinEdit2->value();
    Settings.ScaleOutMax[channel] = scaleDecimal(FloatEdit2->value(), 100);
}

void TFormACP::ComboBox1Change(int index)
{
    if (index < 0) {
        poll_.stop();
        return;
    }
    LoadACP(index);
    poll_.start();
}

void TFormACP::OKBtnClick()
{
    SaveACP(chosenChannel());
    accept();
}

void TFormACP::CancelBtnClick()
{
    reject();
}

void TFormACP::ApplyBtnClick()
{
    SaveACP(chosenChannel());
    if (OnlineMode)
        writeOnLineWhenIdle(ctx_, kOnlineFrom, kOnlineTo);
}

void TFormACP::TimerAnalogTimer()
{
    const int n = chosenChannel();
    if (n < 0)
        return;
    const std::optional<uint16_t> code = readLive(ctx_.protocol, LiveRequest::AdcCode, uint32_t(n));
    if (!code) {
        Edit1->setText(liveErrorText());
        Edit2->setText(liveErrorText());
        return;
    }
    Edit1->setText(liveUnsigned(code));
    // The points as they stand in the editors, saved or not.
    const std::optional<double> real =
        calibratedValue(*code, SpinEdit1->value(), FloatEdit1->value(), SpinEdit2->value(), FloatEdit2->value());
    Edit2->setText(real ? formatFixed2(*real) : liveErrorText());
}

} // namespace vkm
