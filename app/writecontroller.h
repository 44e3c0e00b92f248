#pragma once
// "Запись настроек в контроллер": packs the settings and writes all 256
// image blocks. Its status field and progress bar also report the on-line
// writes of the editors (WriteOnLine), while the dialog itself stays hidden.

#include "app/transferdialog.h"
#include "link/transfer.h"

namespace vkm {

class TFormWriteController : public TransferDialog {
    Q_OBJECT
public:
    explicit TFormWriteController(AppContext& ctx, QWidget* parent = nullptr);

    // "Записать"
    void Button1Click();

    // The on-line write of an editor's range through this dialog's fields:
    // 0 all blocks written, 1 a block failed.
    int writeOnLine(int from, int to);
    TransferProgress progress();

    QProgressBar* pBar;

protected:
    void startClicked() override { Button1Click(); }
};

} // namespace vkm
