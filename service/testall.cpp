#include "service/testall.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"
#include "core/rules.h"
#include "link/protocol.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace vkm {

uint16_t relayMask(const std::array<bool, 8>& relays)
{
    uint16_t mask = 0;
    for (int i = 0; i < 8; ++i)
        if (relays[i])
            mask |= uint16_t(1u << i);
    return mask;
}

TFormTestAll::TFormTestAll(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), poll_([this] { TimerAnalogTimer(); }, this)
{
    setObjectName(QStringLiteral("FormTestAll"));
    setWindowTitle(QStringLiteral("Тест"));

    auto* channel = new QGroupBox(QStringLiteral("Канал"));
    auto* cl = new QGridLayout(channel);
    cl->addWidget(new QLabel(QStringLiteral("Реле:")), 0, 0);
    for (int i = 0; i < 16; ++i) {
        Relay[i] = new QCheckBox(QString::number(i + 1));
        Relay[i]->setObjectName(QStringLiteral("Relay%1").arg(i + 1));
        cl->addWidget(Relay[i], 1 + i / 8, i % 8);
    }
    cl->addWidget(new QLabel(QStringLiteral("ЦАП:")), 3, 0);
    Dac1 = new QSpinBox;
    Dac1->setObjectName(QStringLiteral("Dac1"));
    Dac2 = new QSpinBox;
    Dac2->setObjectName(QStringLiteral("Dac2"));
    for (QSpinBox* s : {Dac1, Dac2})
        s->setRange(-32768, 65535);
    cl->addWidget(new QLabel(QStringLiteral("1 ЦАП")), 4, 0);
    cl->addWidget(Dac1, 4, 1, 1, 2);
    cl->addWidget(new QLabel(QStringLiteral("2 ЦАП")), 4, 3);
    cl->addWidget(Dac2, 4, 4, 1, 2);
    CheckBox1 = new QCheckBox(QStringLiteral("Использовать"));
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    cl->addWidget(CheckBox1, 5, 0, 1, 4);

    auto* readings = new QGroupBox(QStringLiteral("Показания"));
    auto* rl = new QGridLayout(readings);
    rl->addWidget(new QLabel(QStringLiteral("Значение ЦАП:")), 0, 0, 1, 4);
    for (int i = 0; i < 8; ++i) {
        Channel[i] = new QLineEdit(QStringLiteral("0"));
        Channel[i]->setObjectName(QStringLiteral("Channel%1").arg(i + 1));
        Channel[i]->setReadOnly(true);
        rl->addWidget(new QLabel(QStringLiteral("%1 Канал").arg(i + 1)), 1 + i / 4 * 2, i % 4);
        rl->addWidget(Channel[i], 2 + i / 4 * 2, i % 4);
    }
    auto* inputs = new QGroupBox(QStringLiteral("Цифровые входы"));
    auto* il = new QGridLayout(inputs);
    for (int i = 0; i < 16; ++i) {
        Input[i] = new QCheckBox(QString::number(i + 1));
        Input[i]->setObjectName(QStringLiteral("Input%1").arg(i + 1));
        Input[i]->setAttribute(Qt::WA_TransparentForMouseEvents); // display only
        Input[i]->setFocusPolicy(Qt::NoFocus);
        il->addWidget(Input[i], i / 8, i % 8);
    }
    rl->addWidget(inputs, 5, 0, 1, 4);
    CalcTime = new QLineEdit(QStringLiteral("0"));
    CalcTime->setObjectName(QStringLiteral("CalcTime"));
    CalcTime->setReadOnly(true);
    rl->addWidget(new QLabel(QStringLiteral("Время расчетов:")), 6, 0, 1, 2);
    rl->addWidget(CalcTime, 6, 2, 1, 2);

    OKBtn = new QPushButton(QStringLiteral("OK"));
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    CancelBtn = new QPushButton(QStringLiteral("Cancel"));
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    auto* buttons = buttonRow({OKBtn, CancelBtn});

    auto* l = new QVBoxLayout(this);
    l->addWidget(channel);
    l->addWidget(readings);
    l->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(CheckBox1, &QCheckBox::clicked, this, &TFormTestAll::CheckBox1Click);
    connect(OKBtn, &QPushButton::clicked, this, &TFormTestAll::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &TFormTestAll::reject);
}

void TFormTestAll::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        poll_.stop(); // the test stays off until "Использовать" is clicked again
}

void TFormTestAll::mathSwitch(bool on)
{
    // A click or a close may come while a round waits for its reply: the
    // switch is sent once that request has ended, never in its middle.
    ctx_.protocol.whenIdle([this, on] {
        Protocol& p = ctx_.protocol;
        if (on ? p.MathOn() : p.MathOff())
            for (int i = 0; i < 3; ++i)
                on ? p.MathOn() : p.MathOff();
    });
}

void TFormTestAll::CheckBox1Click()
{
    mathSwitch(false);
    poll_.start();
}

void TFormTestAll::done(int r)
{
    // The round in progress sends none of its remaining requests.
    poll_.stop();
    mathSwitch(true);
    QDialog::done(r);
}

void TFormTestAll::TimerAnalogTimer()
{
    if (!CheckBox1->isChecked())
        return;
    Protocol& p = ctx_.protocol;
    std::array<bool, 8> low{}, high{};
    for (int i = 0; i < 8; ++i) {
        low[i] = Relay[i]->isChecked();
        high[i] = Relay[8 + i]->isChecked();
    }
    readLive(p, LiveRequest::SetRelays1to8, relayMask(low));
    if (!poll_.goesOn()) return;
    readLive(p, LiveRequest::SetRelays9to16, relayMask(high));
    if (!poll_.goesOn()) return;
    readLive(p, LiveRequest::SetDac1, static_cast<uint32_t>(Dac1->value()) & 0xFFFFFF);
    if (!poll_.goesOn()) return;
    readLive(p, LiveRequest::SetDac2, static_cast<uint32_t>(Dac2->value()) & 0xFFFFFF);
    for (int c = 0; c < 8; ++c) {
        if (!poll_.goesOn()) return;
        Channel[c]->setText(liveSigned(readLive(p, LiveRequest::ChannelTestValue, uint32_t(c))));
    }
    if (!poll_.goesOn()) return;
    if (const auto w = readLive(p, LiveRequest::DigitalInputs, 0))
        for (int k = 0; k < 16; ++k)
            Input[k]->setChecked((*w >> k) & 1);
    if (!poll_.goesOn()) return;
    CalcTime->setText(liveSigned(readLive(p, LiveRequest::CalcTime, 0)));
}

} // namespace vkm
