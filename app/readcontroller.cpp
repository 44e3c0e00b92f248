#include "app/readcontroller.h"

#include "app/ui/guard.h"
#include "core/image.h"
#include "core/state.h"
#include "link/infolog.h"
#include "link/online.h"
#include "link/protocol.h"
#include "link/transfer.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vkm {

TFormReadController::TFormReadController(AppContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("FormReadController"));
    setWindowTitle(QStringLiteral("Чтение настроек из контроллера"));

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    pbar = new QProgressBar(this);
    pbar->setObjectName(QStringLiteral("pbar"));
    pbar->setRange(0, 2048);
    pbar->setValue(0);
    pbar->setTextVisible(false);
    Button1 = new QPushButton(QStringLiteral("Прочитать"), this);
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
    layout->addWidget(pbar);
    layout->addLayout(buttons);
    setFixedSize(360, sizeHint().height());

    connect(Button1, &QPushButton::clicked, this, [this] { guarded(ctx_.prompts, [this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormReadController::showEvent(QShowEvent* e)
{
    Edit1->clear();
    QDialog::showEvent(e);
}

void TFormReadController::setRunning(bool on)
{
    running_ = on;
    Button1->setEnabled(!on);
    Button2->setEnabled(!on);
}

void TFormReadController::reject()
{
    // the transfer owns the line until it has ended
    if (!running_)
        QDialog::reject();
}

void TFormReadController::closeEvent(QCloseEvent* e)
{
    if (running_)
        e->ignore();
    else
        QDialog::closeEvent(e);
}

void TFormReadController::Button1Click()
{
    if (running_)
        return;
    struct Running {
        TFormReadController* d;
        ~Running() { d->setRunning(false); }
    } running{this};
    setRunning(true);

    Edit1->setText(QStringLiteral("Read data..."));
    pbar->setValue(0);
    TransferProgress progress;
    progress.position = [this](int v) { pbar->setValue(v); };
    progress.processEvents = [] { QApplication::processEvents(); };
    const TransferOutcome out = readImage(ctx_.protocol, ReceivedImage, progress);
    if (out.ok) {
        Edit1->setText(QStringLiteral("Read data Ok!"));
        UnpackImage(ReceivedImage, Settings);
        ctx_.prompts.information(QStringLiteral("Данные получены!"));
        if (OnlineMode) {
            setRunning(false);
            accept();
        }
    } else {
        ctx_.protocol.log().add(QStringLiteral("read settings: %1").arg(out.detail));
        Edit1->setText(QStringLiteral("Error read data!"));
        ctx_.prompts.error(QStringLiteral("Ошибка чтения!"));
    }
}

} // namespace vkm
