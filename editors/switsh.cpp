#include "editors/switsh.h"

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

TFormSwitsh::TFormSwitsh(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("FormSwitsh"));
    setWindowTitle(QStringLiteral("Модуль/Переключатели"));

    QStringList switches;
    for (int s = 1; s <= 8; ++s)
        switches << QStringLiteral("Switch-%1").arg(s);
    list_ = makeList(this, QStringLiteral("ComboBox1"), switches);
    use_ = new QCheckBox(QStringLiteral("Использовать"), this);
    use_->setObjectName(QStringLiteral("CheckBox1"));
    param1_ = makeList(this, QStringLiteral("ComboBox2"), parameterItems());
    param2_ = makeList(this, QStringLiteral("ComboBox3"), parameterItems());
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
    form->addRow(QStringLiteral("Номер точки переключения:"), list_);
    form->addRow(QString(), use_);
    form->addRow(QStringLiteral("1 Контролируемый параметр:"), param1_);
    form->addRow(QStringLiteral("2 Контролируемый параметр:"), param2_);
    form->addRow(QString(), inputs_);
    auto* buttons = buttonRow({ok, cancel, apply_});
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addStretch();
    top->addLayout(buttons);

    connect(list_, &QComboBox::currentIndexChanged, this, &TFormSwitsh::ComboBox1Change);
    connect(inputs_, &QPushButton::clicked, this, &TFormSwitsh::Button4Click);
    connect(ok, &QPushButton::clicked, this, &TFormSwitsh::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, &TFormSwitsh::Button3Click);
}

TFormDigitalSet& TFormSwitsh::digital() { return TFormDigitalSet::forOwner(ctx_, this); }

void TFormSwitsh::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TFormSwitsh::FormShow()
{
    switch_ = -1;
    {
        const QSignalBlocker block(list_);
        list_->setCurrentIndex(-1);
    }
    param1_->setCurrentIndex(-1);
    param2_->setCurrentIndex(-1);
    use_->setChecked(false);
    inputs_->setEnabled(false);
    apply_->setText(ApplyCaption);
}

void TFormSwitsh::ComboBox1Change(int index)
{
    if (index < 0) {
        switch_ = -1;
        inputs_->setEnabled(false);
        return;
    }
    switch_ = index;
    LoadSwitch(switch_);
}

void TFormSwitsh::LoadSwitch(int s)
{
    use_->setChecked(Settings.SwitchUse[s] == 1);
    loadCodeList(param1_, Settings.SwitchParam1[s]);
    loadCodeList(param2_, Settings.SwitchParam2[s]);
    auto& d = digital();
    d.loadFrom(Settings.SwitchInputMask[s], Settings.SwitchInputState[s]);
    d.LoadDigital();
    inputs_->setEnabled(true);
}

void TFormSwitsh::SaveSwitch(int s)
{
    if (s < 0)
        return;
    Settings.SwitchUse[s] = use_->isChecked() ? 1 : 0;
    Settings.SwitchParam1[s] = saveCodeList(param1_);
    Settings.SwitchParam2[s] = saveCodeList(param2_);
    digital().storeInto(Settings.SwitchInputMask[s], Settings.SwitchInputState[s]);
}

void TFormSwitsh::Button4Click() { digital().edit(); }

void TFormSwitsh::Button1Click()
{
    SaveSwitch(switch_);
    accept();
}

void TFormSwitsh::Button3Click()
{
    SaveSwitch(switch_);
    applyOnLine(ctx_, kOnlineFrom, kOnlineTo);
}

} // namespace vkm
