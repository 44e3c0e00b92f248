#include "service/cap.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"
#include "app/ui/guard.h"
#include "core/rules.h"
#include "core/state.h"
#include "editors/onlinewrite.h"
#include "link/online.h"
#include "link/protocol.h"
#include "service/acp.h"

#include <QCheckBox>
#include <QComboBox>
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
#include <limits>

namespace vkm {

namespace {
template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}
constexpr int kFirstOutputSlot = 8; // outputs share the scaling table after the eight inputs
} // namespace

QString dacCodeText(double value, double minReal, double minCode, double maxReal, double maxCode)
{
    if (maxReal == minReal)
        return liveErrorText();
    return formatFixed2(minCode + (value - minReal) * (maxCode - minCode) / (maxReal - minReal));
}

TFormCAP::TFormCAP(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), poll_([this] { TimerAnalogTimer(); }, this)
{
    setObjectName(QStringLiteral("FormCAP"));
    setWindowTitle(QStringLiteral("Регулировка ЦАП"));

    ComboBox1 = named(new QComboBox, "ComboBox1");
    ComboBox1->addItems({QStringLiteral("Канал 1"), QStringLiteral("Канал 2")});
    ComboBox1->setPlaceholderText(QStringLiteral("Номер канала"));
    ComboBox2 = named(new QComboBox, "ComboBox2");
    ComboBox2->addItem(QStringLiteral("Нет"));
    for (int i = 1; i <= 8; ++i)
        ComboBox2->addItem(QStringLiteral("Канал-%1").arg(i));
    for (int i = 1; i <= 16; ++i)
        ComboBox2->addItem(QStringLiteral("Формула %1").arg(i));
    for (int i = 1; i <= 8; ++i)
        ComboBox2->addItem(QStringLiteral("Переключение %1").arg(i));
    for (int i = 1; i <= 8; ++i)
        ComboBox2->addItem(QStringLiteral("Характеристика %1").arg(i));
    ComboBox2->setPlaceholderText(QStringLiteral("Выбрать"));
    CheckBox1 = named(new QCheckBox(QStringLiteral("Использовать")), "CheckBox1");

    auto* channel = new QGroupBox(QStringLiteral("Канал"));
    auto* cl = new QGridLayout(channel);
    cl->addWidget(ComboBox1, 0, 0);
    cl->addWidget(new QLabel(QStringLiteral("Источник:")), 0, 1);
    cl->addWidget(ComboBox2, 0, 2);
    cl->addWidget(CheckBox1, 0, 3);

    // Real values keep the decimals typed and are rounded once, half-even,
    // when they are saved x100; codes hold whatever the 32-bit field holds.
    const auto real = [](const char* name) { return named(new DecimalSpinBox, name); };
    const auto code = [](const char* name) {
        auto* s = named(new QSpinBox, name);
        s->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        return s;
    };
    MinReal = real("MinReal");
    MinCode = code("MinCode");
    MaxReal = real("MaxReal");
    MaxCode = code("MaxCode");
    BtSetMin = named(new QPushButton(QStringLiteral("Установить Мин.")), "BtSetMin");
    BtSetMax = named(new QPushButton(QStringLiteral("Установить Макс.")), "BtSetMax");
    auto* adjust = new QGroupBox(QStringLiteral("Регулировка"));
    auto* al = new QGridLayout(adjust);
    al->addWidget(new QLabel(QStringLiteral("Реальное значение:")), 0, 1);
    al->addWidget(new QLabel(QStringLiteral("Показание ЦАП:")), 0, 2);
    al->addWidget(new QLabel(QStringLiteral("Минимум:")), 1, 0);
    al->addWidget(MinReal, 1, 1);
    al->addWidget(MinCode, 1, 2);
    al->addWidget(BtSetMin, 1, 3);
    al->addWidget(new QLabel(QStringLiteral("Максимум")), 2, 0);
    al->addWidget(MaxReal, 2, 1);
    al->addWidget(MaxCode, 2, 2);
    al->addWidget(BtSetMax, 2, 3);

    EditSource = named(new QLineEdit(QStringLiteral("0")), "EditSource");
    EditDac = named(new QLineEdit(QStringLiteral("0")), "EditDac");
    EditSource->setReadOnly(true);
    EditDac->setReadOnly(true);
    BtShow = named(new QPushButton(QStringLiteral("Показать")), "BtShow");
    auto* readings = new QGroupBox(QStringLiteral("Показания"));
    auto* rl = new QGridLayout(readings);
    rl->addWidget(new QLabel(QStringLiteral("Показание источника:")), 0, 0);
    rl->addWidget(new QLabel(QStringLiteral("Значение ЦАП:")), 0, 1);
    rl->addWidget(EditSource, 1, 0);
    rl->addWidget(EditDac, 1, 1);
    rl->addWidget(BtShow, 1, 2);

    OKBtn = named(new QPushButton(QStringLiteral("OK")), "OKBtn");
    CancelBtn = named(new QPushButton(QStringLiteral("Cancel")), "CancelBtn");
    ApplyBtn = named(new QPushButton(ApplyCaption), "ApplyBtn");
    OKBtn->setDefault(true);
    auto* buttons = buttonRow({OKBtn, CancelBtn, ApplyBtn});

    auto* l = new QVBoxLayout(this);
    l->addWidget(channel);
    l->addWidget(adjust);
    l->addWidget(readings);
    l->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TFormCAP::ComboBox1Change);
    connect(BtShow, &QPushButton::clicked, this, &TFormCAP::BtShowClick);
    connect(BtSetMin, &QPushButton::clicked, this, &TFormCAP::BtSetMinClick);
    connect(BtSetMax, &QPushButton::clicked, this, &TFormCAP::BtSetMaxClick);
    connect(OKBtn, &QPushButton::clicked, this, &TFormCAP::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TFormCAP::reject);
    connect(ApplyBtn, &QPushButton::clicked, this, &TFormCAP::ApplyBtnClick);
}

int TFormCAP::output() const { return ComboBox1->currentIndex(); }

void TFormCAP::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    poll_.stop();
    {
        const QSignalBlocker block(ComboBox1);
        ComboBox1->setCurrentIndex(-1);
    }
    ComboBox2->setCurrentIndex(-1);
    MinReal->setValue(0);
    MinCode->setValue(0);
    MaxReal->setValue(0);
    MaxCode->setValue(0);
    EditSource->setText(QStringLiteral("0"));
    EditDac->setText(QStringLiteral("0"));
    ApplyBtn->setText(ApplyCaption);
}

void TFormCAP::done(int r)
{
    // Nothing is sent on closing; a tick in progress sends no more requests,
    // so an output driven with a set code is left alone from here on.
    poll_.stop();
    QDialog::done(r);
}

void TFormCAP::hideEvent(QHideEvent* e)
{
    poll_.stop();
    QDialog::hideEvent(e);
}

void TFormCAP::LoadCAP(int n)
{
    if (n < 0 || n > 1)
        return;
    const int slot = kFirstOutputSlot + n;
    CheckBox1->setChecked(Settings.ChannelUse[slot] == 1);
    MinReal->setValue(Settings.ScaleInMin[slot] / 100.0);
    MinCode->setValue(Settings.ScaleOutMin[slot]);
    MaxReal->setValue(Settings.ScaleInMax[slot] / 100.0);
    MaxCode->setValue(Settings.ScaleOutMax[slot]);
    ComboBox2->setCurrentIndex(listIndexForCode(Settings.OutputSource[n], ComboBox2->count()));
}

void TFormCAP::SaveCAP(int n)
{
    if (n < 0 || n > 1)
        return;
    const int slot = kFirstOutputSlot + n;
    Settings.ChannelUse[slot] = CheckBox1->isChecked() ? 1 : 0;
    Settings.ScaleInMin[slot] = scaleDecimal(MinReal->value(), 100);
    Settings.ScaleInMax[slot] = scaleDecimal(MaxReal->value(), 100);
    Settings.ScaleOutMin[slot] = MinCode->value();
    Settings.ScaleOutMax[slot] = MaxCode->value();
    const int source = ComboBox2->currentIndex();
    Settings.OutputSource[n] = source >= 1 ? codeForListIndex(source) : 255;
}

void TFormCAP::ComboBox1Change()
{
    LoadCAP(output());
    poll_.start();
}

void TFormCAP::BtShowClick() { DacAdjustMode_ = DacAdjustMode::Show; }
void TFormCAP::BtSetMinClick() { DacAdjustMode_ = DacAdjustMode::SetMin; }
void TFormCAP::BtSetMaxClick() { DacAdjustMode_ = DacAdjustMode::SetMax; }

void TFormCAP::TimerAnalogTimer()
{
    const int n = output();
    if (n < 0)
        return;
    const int source = ComboBox2->currentIndex();
    if (DacAdjustMode_ == DacAdjustMode::Show && source < 1)
        return;

    if (DacAdjustMode_ == DacAdjustMode::Show) {
        BtShow->setEnabled(false);
        BtSetMin->setEnabled(true);
        BtSetMax->setEnabled(true);
        const auto w = readLive(ctx_.protocol, LiveRequest::ParameterValue, uint32_t(source - 1));
        if (!w) {
            EditSource->setText(liveErrorText());
            EditDac->setText(liveErrorText());
            return;
        }
        const double v = SignedWord(*w) / 100.0;
        EditSource->setText(formatFixed2(v));
        EditDac->setText(dacCodeText(v, MinReal->value(), MinCode->value(), MaxReal->value(), MaxCode->value()));
        return;
    }

    const bool min = DacAdjustMode_ == DacAdjustMode::SetMin;
    BtShow->setEnabled(true);
    BtSetMin->setEnabled(!min);
    BtSetMax->setEnabled(min);
    const int code = min ? MinCode->value() : MaxCode->value();
    const auto request = n == 0 ? LiveRequest::SetDac1 : LiveRequest::SetDac2;
    EditSource->setText(min ? QStringLiteral("Настройка Мин.") : QStringLiteral("Настройка Макс."));
    const auto w = readLive(ctx_.protocol, request, static_cast<uint32_t>(code) & 0xFFFFFF);
    EditDac->setText(liveSigned(w));
}

void TFormCAP::OKBtnClick()
{
    SaveCAP(output());
    accept();
}

void TFormCAP::ApplyBtnClick()
{
    SaveCAP(output());
    if (!OnlineMode)
        return;
    // A tick may be waiting for its reply: the writes start once it has it.
    ctx_.protocol.whenIdle([this] {
        guarded(ctx_.prompts, [this] {
            for (const auto& range : kApplyRanges) {
                if (ctx_.writeOnLine(range[0], range[1]) != 0) {
                    ctx_.prompts.error(writeFailedMessage());
                    return;
                }
            }
            ctx_.prompts.information(writtenMessage());
        });
    });
}

} // namespace vkm
