#pragma once
// "Чтение настроек из контроллера": reads the 256 image blocks and unpacks
// them into the settings.

#include "app/ui/context.h"

#include <QDialog>

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vkm {

class TFormReadController : public QDialog {
    Q_OBJECT
public:
    explicit TFormReadController(AppContext& ctx, QWidget* parent = nullptr);

    // "Прочитать"
    void Button1Click();
    bool running() const { return running_; }

    QLineEdit* Edit1;
    QProgressBar* pbar;
    QPushButton* Button1; // "Прочитать"
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
