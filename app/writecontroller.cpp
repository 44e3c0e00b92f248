#include "app/writecontroller.h"

#include "app/ui/guard.h"
#include "core/image.h"
#include "core/state.h"
#include "link/infolog.h"
#include "link/protocol.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vkm {

TFormWriteController::TFormWriteController(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("FormWriteController"));
    setWindowTitle(QStringLiteral("Запись настроек в контроллер"));

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    pBar = new QProgressBar(this);
    pBar->setObjectName(QStringLiteral("pBar"));
    pBar->setRange(0, 2048);
    pBar->setValue(0);
    pBar->setTextVisible(false);
    Button1 = new QPushButton(QStringLiteral("Записать"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Закрыть"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Edit1);
    layout->addWidget(pBar);
    layout->addLayout(buttons);
    setFixedSize(360, sizeHint().height());

    connect(Button1, &QPushButton::clicked, this, [this] { guarded(ctx_.prompts, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormWriteController::showEvent(QShowEvent* e)
{
    Edit1->clear();
    QDialog::showEvent(e);
}

void TFormWriteController::setRunning(bool on)
{
    running_ = on;
    Button1->setEnabled(!on);
    Button2->setEnabled(!on);
}

void TFormWriteController::reject()
{
    // the transfer owns the line until it has ended
    if (!running_)
        QDialog::reject();
}

void TFormWriteController::closeEvent(QCloseEvent* e)
{
    if (running_)
        e->ignore();
    else
        QDialog::closeEvent(e);
}

TransferProgress TFormWriteController::progress()
{
    TransferProgress p;
    p.status = [this](const QString& s) { Edit1->setText(s); };
    p.position = [this](int v) { pBar->setValue(v); };
    return p;
}

void TFormWriteController::Button1Click()
{
    if (running_)
        return;
    struct Running {
        TFormWriteController* d;
        ~Running() { d->setRunning(false); }
    } running{this};
    setRunning(true);

    PackImage(Settings, DeviceImage);
    Edit1->setText(QStringLiteral("Write data..."));
    pBar->setValue(0);
    TransferProgress p = progress();
    p.status = nullptr; // this dialog writes its own status lines
    const TransferOutcome out = writeImageBlocks(ctx_.protocol, DeviceImage, 0, 255, p);
    if (out.ok) {
        Edit1->setText(QStringLiteral("Write data Ok!"));
        ctx_.prompts.information(QStringLiteral("Данные записаны в контроллер!"));
    } else {
        ctx_.protocol.log().add(QStringLiteral("write settings: %1").arg(out.detail));
        Edit1->setText(QStringLiteral("Error write data!"));
        ctx_.prompts.error(QStringLiteral("Ошибка записи данных!"));
    }
}

int TFormWriteController::writeOnLine(int from, int to)
{
    Edit1->setText(QStringLiteral("Write data..."));
    pBar->setValue(0);
    const int r = WriteOnLine(ctx_.protocol, from, to, progress());
    Edit1->setText(r == 0 ? QStringLiteral("Write data Ok!") : QStringLiteral("Error write data!"));
    return r;
}

} // namespace vkm
