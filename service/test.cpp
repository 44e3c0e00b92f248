#include "service/test.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"

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

namespace vkm {

TFormTest::TFormTest(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), poll_([this] { TimerAnalogTimer(); }, this)
{
    setObjectName(QStringLiteral("FormTest"));
    setWindowTitle(QStringLiteral("Тест"));

    Command = new QSpinBox;
    Command->setObjectName(QStringLiteral("Command"));
    Command->setRange(0, 255);
    Parameter = new QSpinBox;
    Parameter->setObjectName(QStringLiteral("Parameter"));
    Parameter->setRange(0, 0xFFFFFF);
    CheckBox1 = new QCheckBox(QStringLiteral("Использовать"));
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    auto* channel = new QGroupBox(QStringLiteral("Канал"));
    auto* cl = new QGridLayout(channel);
    cl->addWidget(new QLabel(QStringLiteral("Команда")), 0, 0);
    cl->addWidget(Command, 1, 0);
    cl->addWidget(new QLabel(QStringLiteral("Параметр")), 0, 1);
    cl->addWidget(Parameter, 1, 1);
    cl->addWidget(CheckBox1, 1, 2);

    EditSource = new QLineEdit(QStringLiteral("0"));
    EditSource->setObjectName(QStringLiteral("EditSource"));
    EditDac = new QLineEdit(QStringLiteral("0"));
    EditDac->setObjectName(QStringLiteral("EditDac"));
    EditSource->setReadOnly(true);
    EditDac->setReadOnly(true);
    auto* readings = new QGroupBox(QStringLiteral("Показания"));
    auto* rl = new QGridLayout(readings);
    rl->addWidget(new QLabel(QStringLiteral("Показание источника:")), 0, 0);
    rl->addWidget(new QLabel(QStringLiteral("Значение ЦАП:")), 0, 1);
    rl->addWidget(EditSource, 1, 0);
    rl->addWidget(EditDac, 1, 1);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"));
    auto* apply = new QPushButton(QStringLiteral("Применить")); // does nothing
    auto* buttons = buttonRow({ok, cancel, apply});

    auto* l = new QVBoxLayout(this);
    l->addWidget(channel);
    l->addWidget(readings);
    l->addLayout(buttons);
    setFixedSize(sizeHint());

    connect(CheckBox1, &QCheckBox::clicked, this, &TFormTest::CheckBox1Click);
    connect(ok, &QPushButton::clicked, this, &TFormTest::accept);
    connect(cancel, &QPushButton::clicked, this, &TFormTest::reject);
}

void TFormTest::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    poll_.stop();
    Command->setValue(0);
    Parameter->setValue(0);
    EditSource->setText(QStringLiteral("0"));
    EditDac->setText(QStringLiteral("0"));
}

void TFormTest::done(int r)
{
    poll_.stop();
    QDialog::done(r);
}

void TFormTest::CheckBox1Click() { poll_.start(); }

void TFormTest::TimerAnalogTimer()
{
    if (!CheckBox1->isChecked())
        return;
    const auto code = static_cast<LiveRequest>(Command->value() & 0xFF);
    const auto w = readLive(ctx_.protocol, code, static_cast<uint32_t>(Parameter->value()) & 0xFFFFFF);
    EditSource->setText(QStringLiteral("Чтение 9"));
    EditDac->setText(liveSigned(w));
}

} // namespace vkm
