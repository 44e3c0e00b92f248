#include "service/setspeedcontroller.h"

#include "app/ui/context.h"
#include "app/ui/guard.h"
#include "link/setspeed.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vkm {

QString TFormSetSpeedController::noSpeedMessage()
{
    return QStringLiteral("Выберите скорость обмена!");
}

TFormSetSpeedController::TFormSetSpeedController(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("FormSetSpeedController"));
    setWindowTitle(QStringLiteral("Установка скорости контроллера"));

    auto* group = new QGroupBox(QStringLiteral("Скорость:"));
    group->setObjectName(QStringLiteral("BaudGroup"));
    auto* gl = new QGridLayout(group);
    Baud = new QButtonGroup(this);
    Baud->setObjectName(QStringLiteral("Baud"));
    const QList<int>& speeds = controllerSpeeds();
    for (int i = 0; i < speeds.size(); ++i) {
        auto* b = new QRadioButton(QString::number(speeds[i]));
        b->setObjectName(QStringLiteral("Baud%1").arg(speeds[i]));
        Baud->addButton(b, i);
        gl->addWidget(b, i % 3, i / 3);
    }
    Edit1 = new QLineEdit;
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    auto* set = new QPushButton(QStringLiteral("Set"));
    set->setObjectName(QStringLiteral("btSet"));
    auto* close = new QPushButton(QStringLiteral("Закрыть"));
    close->setObjectName(QStringLiteral("btClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(set);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* l = new QVBoxLayout(this);
    l->addWidget(group);
    l->addWidget(Edit1);
    l->addLayout(buttons);
    setMinimumWidth(300);
    setFixedSize(sizeHint());

    connect(set, &QPushButton::clicked, this, &TFormSetSpeedController::btSetClick);
    connect(close, &QPushButton::clicked, this, &TFormSetSpeedController::reject);
}

void TFormSetSpeedController::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        Edit1->clear();
}

void TFormSetSpeedController::btSetClick()
{
    QAbstractButton* chosen = Baud->checkedButton();
    if (!chosen) {
        ctx_.prompts.error(noSpeedMessage());
        return;
    }
    Edit1->setText(QStringLiteral("Set speed..."));
    // The outcome shows only in the information log.
    guarded(ctx_.prompts, [&] { setControllerSpeed(ctx_.protocol, chosen->text().toInt()); });
}

} // namespace vkm
