#pragma once
// "Установка скорости контроллера": tells the controller to use another
// exchange speed. The port keeps its own speed.

#include <QDialog>

class QButtonGroup;
class QLineEdit;

namespace vkm {

struct AppContext;

class TFormSetSpeedController : public QDialog {
    Q_OBJECT
public:
    explicit TFormSetSpeedController(AppContext& ctx, QWidget* parent = nullptr);

    void btSetClick(); // "Set"

    static QString noSpeedMessage(); // shown when no speed is chosen

protected:
    void showEvent(QShowEvent* e) override;

private:
    AppContext& ctx_;
    QButtonGroup* Baud;
    QLineEdit* Edit1;
};

} // namespace vkm
