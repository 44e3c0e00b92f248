#include "app/readcontroller.h"

#include "core/image.h"
#include "core/state.h"
#include "link/infolog.h"
#include "link/online.h"
#include "link/protocol.h"
#include "link/transfer.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressBar>

namespace vkm {

TFormReadController::TFormReadController(AppContext& ctx, QWidget* parent)
    : TransferDialog(ctx, QStringLiteral("Чтение настроек из контроллера"), QStringLiteral("Прочитать"),
                     QStringLiteral("pbar"), parent),
      pbar(bar_)
{
    setObjectName(QStringLiteral("FormReadController"));
}

void TFormReadController::Button1Click()
{
    runTransfer([this] {
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
                endRunning();
                accept();
            }
        } else {
            ctx_.protocol.log().add(QStringLiteral("read settings: %1").arg(out.detail));
            Edit1->setText(QStringLiteral("Error read data!"));
            ctx_.prompts.error(QStringLiteral("Ошибка чтения!"));
        }
    });
}

} // namespace vkm
