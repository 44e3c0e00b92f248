#include "service/readcontrollerxmemory.h"

#include "app/ui/context.h"
#include "app/ui/guard.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vkm {

TFormReadControllerXMemory::TFormReadControllerXMemory(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("FormReadControllerXMemory"));
    setWindowTitle(QStringLiteral("Чтение настроек из контроллера"));

    Edit1 = new QLineEdit;
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    auto* sectors = new QGroupBox(QStringLiteral("Sectors"));
    auto* sl = new QGridLayout(sectors);
    for (int i = 0; i < kFlashSectors; ++i) {
        Sector[i] = new QCheckBox(QString::number(i + 1));
        Sector[i]->setObjectName(QStringLiteral("Sector%1").arg(i + 1));
        sl->addWidget(Sector[i], i / 7, i % 7);
    }
    pbar = new QProgressBar;
    pbar->setObjectName(QStringLiteral("pbar"));
    pbar->setRange(0, kFlashBlocks);
    pbar->setValue(0);
    Label1 = new QLabel;
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setMinimumHeight(Label1->fontMetrics().height()); // empty until the first attempt
    btStop = new QPushButton(QStringLiteral("Стоп"));
    btStop->setObjectName(QStringLiteral("btStop"));
    btRead = new QPushButton(QStringLiteral("Прочитать"));
    btRead->setObjectName(QStringLiteral("btRead"));
    btClose = new QPushButton(QStringLiteral("Закрыть"));
    btClose->setObjectName(QStringLiteral("btClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btStop);
    buttons->addStretch();
    buttons->addWidget(btRead);
    buttons->addWidget(btClose);

    auto* l = new QVBoxLayout(this);
    l->addWidget(Edit1);
    l->addWidget(sectors);
    l->addWidget(pbar);
    l->addWidget(Label1);
    l->addLayout(buttons);
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));

    connect(btRead, &QPushButton::clicked, this, &TFormReadControllerXMemory::btReadClick);
    connect(btStop, &QPushButton::clicked, this, &TFormReadControllerXMemory::btStopClick);
    connect(btClose, &QPushButton::clicked, this, &TFormReadControllerXMemory::reject);
}

void TFormReadControllerXMemory::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    Edit1->clear();
    Label1->clear();
    for (QCheckBox* b : Sector)
        b->setChecked(true);
    btStop->setEnabled(false);
    btRead->setEnabled(true);
    stop_ = true;
}

void TFormReadControllerXMemory::done(int r)
{
    stop_ = true;
    if (running_) {
        // The dump ends after its current block; the dialog closes then.
        pendingClose_ = r;
        return;
    }
    QDialog::done(r);
}

void TFormReadControllerXMemory::btStopClick() { stop_ = true; }

void TFormReadControllerXMemory::btReadClick()
{
    if (running_)
        return;
    SectorSet chosen{};
    for (int i = 0; i < kFlashSectors; ++i)
        chosen[i] = Sector[i]->isChecked();

    running_ = true;
    stop_ = false;
    pendingClose_ = -1;
    btStop->setEnabled(true);
    btRead->setEnabled(false);

    FlashDumpProgress progress;
    progress.status = [this](const QString& s) { Edit1->setText(s); };
    progress.position = [this](int k) { pbar->setValue(k); };
    progress.attempt = [this](uint32_t address, int retries) { Label1->setText(flashAttemptText(address, retries)); };
    progress.processEvents = [] { QCoreApplication::processEvents(); };
    progress.stopRequested = [this] { return stop_; };

    FlashDumpOutcome out;
    const bool finished = guarded(ctx_.prompts, [&] { out = dumpFlash(ctx_.protocol, chosen, dir_, progress); });

    running_ = false;
    btStop->setEnabled(false);
    btRead->setEnabled(true);
    if (finished) {
        switch (out.result) {
        case FlashDumpOutcome::Ok:
            Edit1->setText(QStringLiteral("Read data Ok!"));
            ctx_.prompts.information(QStringLiteral("Данные получены!"));
            break;
        case FlashDumpOutcome::Failed:
            Edit1->setText(QStringLiteral("Error read data!"));
            ctx_.prompts.error(QStringLiteral("Ошибка чтения!"));
            break;
        case FlashDumpOutcome::Stopped:
            Edit1->setText(QStringLiteral("User stop read data!"));
            ctx_.prompts.error(QStringLiteral("Стоп чтения!"));
            break;
        }
    } else {
        Edit1->setText(QStringLiteral("Error read data!"));
    }
    if (pendingClose_ >= 0) {
        const int r = pendingClose_;
        pendingClose_ = -1;
        QDialog::done(r);
    }
}

} // namespace vkm
