#pragma once
// "Чтение настроек из контроллера": reads the 256 image blocks and unpacks
// them into the settings.

#include "app/transferdialog.h"

namespace vkm {

class TFormReadController : public TransferDialog {
    Q_OBJECT
public:
    explicit TFormReadController(AppContext& ctx, QWidget* parent = nullptr);

    // "Прочитать"
    void Button1Click();

    QProgressBar* pbar;

protected:
    void startClicked() override { Button1Click(); }
};

} // namespace vkm
