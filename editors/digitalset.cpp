#include "editors/digitalset.h"

#include "app/ui/context.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace vkm {
namespace {
TFormDigitalSet* g_current = nullptr;
}

TFormDigitalSet::TFormDigitalSet(AppContext&, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormDigitalSet"));
    setWindowTitle(QStringLiteral("Цифровые входы"));

    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::StyledPanel);
    bevel->setFrameShadow(QFrame::Sunken);
    auto* grid = new QGridLayout(bevel);
    grid->setHorizontalSpacing(24);
    grid->setVerticalSpacing(2);
    grid->addWidget(new QLabel(QStringLiteral("Цифровые входы"), bevel), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Состояние"), bevel), 0, 1);
    for (int i = 0; i < 16; ++i) {
        inputs_[i] = new QCheckBox(QString::number(i + 1), bevel);
        inputs_[i]->setObjectName(QStringLiteral("Input%1").arg(i + 1));
        states_[i] = new QCheckBox(QStringLiteral(" "), bevel);
        states_[i]->setObjectName(QStringLiteral("State%1").arg(i + 1));
        states_[i]->setToolTip(QStringLiteral("Состояние входа %1").arg(i + 1));
        grid->addWidget(inputs_[i], i + 1, 0);
        grid->addWidget(states_[i], i + 1, 1);
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKBtn"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("CancelBtn"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* top = new QHBoxLayout(this);
    top->addWidget(bevel);
    top->addLayout(buttons);
    setFixedSize(sizeHint());

    if (!g_current)
        g_current = this;
}

TFormDigitalSet::~TFormDigitalSet()
{
    if (g_current == this)
        g_current = nullptr;
}

TFormDigitalSet* TFormDigitalSet::current() { return g_current; }

TFormDigitalSet& TFormDigitalSet::forOwner(AppContext& ctx, QWidget* owner)
{
    if (!g_current)
        new TFormDigitalSet(ctx, owner);
    return *g_current;
}

void TFormDigitalSet::LoadDigital()
{
    for (int i = 0; i < 16; ++i) {
        inputs_[i]->setChecked(buffer.mask[i] == 1);
        states_[i]->setChecked(buffer.state[i] == 1);
    }
}

void TFormDigitalSet::SaveDigital()
{
    for (int i = 0; i < 16; ++i) {
        buffer.mask[i] = inputs_[i]->isChecked() ? 1 : 0;
        buffer.state[i] = states_[i]->isChecked() ? 1 : 0;
    }
}

void TFormDigitalSet::loadFrom(const int32_t* mask, const int32_t* state)
{
    std::copy(mask, mask + 16, buffer.mask.begin());
    std::copy(state, state + 16, buffer.state.begin());
}

void TFormDigitalSet::storeInto(int32_t* mask, int32_t* state) const
{
    std::copy(buffer.mask.begin(), buffer.mask.end(), mask);
    std::copy(buffer.state.begin(), buffer.state.end(), state);
}

void TFormDigitalSet::edit()
{
    if (exec() == QDialog::Accepted)
        SaveDigital();
}

} // namespace vkm
