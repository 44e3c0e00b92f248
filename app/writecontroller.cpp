#include "app/writecontroller.h"

#include "core/image.h"
#include "core/state.h"
#include "link/infolog.h"
#include "link/protocol.h"

#include <QLineEdit>
#include <QProgressBar>

namespace vkm {

TFormWriteController::TFormWriteController(AppContext& ctx, QWidget* parent)
    : TransferDialog(ctx, QStringLiteral("Запись настроек в контроллер"), QStringLiteral("Записать"),
                     QStringLiteral("pBar"), parent),
      pBar(bar_)
{
    setObjectName(QStringLiteral("FormWriteController"));
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
    runTransfer([this] {
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
    });
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
