#include "editors/relay.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"
#include "core/state.h"
#include "editors/digitalset.h"
#include "editors/editorkit.h"
#include "link/online.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vkm {

TFormRelay::TFormRelay(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("FormRelay"));
    setWindowTitle(QStringLiteral("Модуль/Реле"));

    list_ = makeList(this, QStringLiteral("ComboBox1"), relayItems());
    use_ = new QCheckBox(QStringLiteral("Использовать"), this);
    use_->setObjectName(QStringLiteral("CheckBox1"));
    inputs_ = new QPushButton(QStringLiteral("Цифровые входы"), this);
    inputs_->setObjectName(QStringLiteral("Button4"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    apply_ = new QPushButton(ApplyCaption, this);
    apply_->setObjectName(QStringLiteral("Button3"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Реле управления:"), list_);
    form->addRow(QString(), use_);
    form->addRow(QString(), inputs_);
    auto* buttons = buttonRow({ok, cancel, apply_});
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addStretch();
    top->addLayout(buttons);

    connect(list_, &QComboBox::currentIndexChanged, this, &TFormRelay::ComboBox1Change);
    connect(inputs_, &QPushButton::clicked, this, &TFormRelay::Button4Click);
    connect(ok, &QPushButton::clicked, this, &TFormRelay::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, &TFormRelay::Button3Click);
}

TFormDigitalSet& TFormRelay::digital() { return TFormDigitalSet::forOwner(ctx_, this); }

void TFormRelay::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TFormRelay::FormShow()
{
    relay_ = -1;
    {
        const QSignalBlocker block(list_);
        list_->setCurrentIndex(-1);
    }
    use_->setChecked(false);
    inputs_->setEnabled(false);
    apply_->setText(ApplyCaption);
}

void TFormRelay::ComboBox1Change(int index)
{
    if (index >= 1) {
        relay_ = index - 1;
        LoadRelay(relay_);
    } else {
        relay_ = -1;
        inputs_->setEnabled(false);
    }
}

void TFormRelay::LoadRelay(int r)
{
    use_->setChecked(Settings.RelayUse[r] == 1);
    auto& d = digital();
    d.loadFrom(Settings.RelayInputMask[r], Settings.RelayInputState[r]);
    d.LoadDigital();
    inputs_->setEnabled(true);
}

void TFormRelay::SaveRelay(int r)
{
    if (r < 0)
        return;
    Settings.RelayUse[r] = use_->isChecked() ? 1 : 0;
    digital().storeInto(Settings.RelayInputMask[r], Settings.RelayInputState[r]);
}

void TFormRelay::Button4Click() { digital().edit(); }

void TFormRelay::Button1Click()
{
    SaveRelay(relay_);
    accept();
}

void TFormRelay::Button3Click()
{
    SaveRelay(relay_);
    applyOnLine(ctx_, kOnlineFrom, kOnlineTo);
}

} // namespace vkm
