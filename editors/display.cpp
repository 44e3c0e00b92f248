#include "editors/display.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"
#include "core/state.h"
#include "editors/editorkit.h"
#include "link/online.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace vkm {

TFormDisplay::TFormDisplay(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("FormDisplay"));
    setWindowTitle(QStringLiteral("Модуль/Дисплей"));

    load_ = makeList(this, QStringLiteral("ComboBox1"), parameterItems());
    outreach_ = makeList(this, QStringLiteral("ComboBox2"), parameterItems());
    limits_ = makeList(this, QStringLiteral("ComboBox3"), parameterItems());

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    apply_ = new QPushButton(ApplyCaption, this);
    apply_->setObjectName(QStringLiteral("Button3"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Параметр для вывода тонн:"), load_);
    form->addRow(QStringLiteral("Параметр для вывода вылета:"), outreach_);
    form->addRow(QStringLiteral("Параметр для вывода пределов:"), limits_);
    auto* buttons = buttonRow({ok, cancel, apply_});
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addStretch();
    top->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &TFormDisplay::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, &TFormDisplay::Button3Click);
}

void TFormDisplay::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TFormDisplay::FormShow()
{
    LOadAll();
    apply_->setText(ApplyCaption);
}

void TFormDisplay::LOadAll()
{
    loadCodeList(load_, Settings.DisplayLoadSource);
    loadCodeList(outreach_, Settings.DisplayOutreachSource);
    loadCodeList(limits_, Settings.DisplayLimitSource);
}

void TFormDisplay::SaveAll()
{
    Settings.DisplayLoadSource = saveCodeList(load_);
    Settings.DisplayOutreachSource = saveCodeList(outreach_);
    Settings.DisplayLimitSource = saveCodeList(limits_);
}

void TFormDisplay::Button1Click()
{
    SaveAll();
    accept();
}

void TFormDisplay::Button3Click()
{
    SaveAll();
    applyOnLine(ctx_, kOnlineFrom, kOnlineTo);
}

} // namespace vkm
