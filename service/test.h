#pragma once
// The single request test "Тест": one live request of the user's choice,
// repeated every round while "Использовать" is checked.

#include "link/live.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vkm {

struct AppContext;

class TFormTest : public QDialog {
    Q_OBJECT
public:
    explicit TFormTest(AppContext& ctx, QWidget* parent = nullptr);

    void CheckBox1Click();
    void TimerAnalogTimer();
    PollCycle& pollCycle() { return poll_; }

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    AppContext& ctx_;
    PollCycle poll_;
    QSpinBox* Command;
    QSpinBox* Parameter;
    QCheckBox* CheckBox1;
    QLineEdit* EditSource;
    QLineEdit* EditDac;
};

} // namespace vkm
