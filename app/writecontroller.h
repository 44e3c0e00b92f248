#pragma once
// "Запись настроек в контроллер": packs the settings and writes all 256
// image blocks. Its status field and progress bar also report the on-line
// writes of the editors (WriteOnLine), while the dialog itself stays hidden.

#include "app/ui/context.h"
#include "link/transfer.h"

#include <QDialog>

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vkm {

class TFormWriteController : public QDialog {
    Q_OBJECT
public:
    explicit TFormWriteController(AppContext& ctx, QWidget* parent = nullptr);

    // "Записать"
    void Button1Click();
    bool running() const { return running_; }

    // The on-line write of an editor's range through this dialog's fields:
    // 0 all blocks written, 1 a block failed.
    int writeOnLine(int from, int to);
    TransferProgress progress();

    QLineEdit* Edit1;
    QProgressBar* pBar;
    QPushButton* Button1; // "Записать"
    QPushButton* Button2; // "Закрыть"

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void setRunning(bool on);
    AppContext& ctx_;
    bool running_ = false;
};

} // namespace vkm
