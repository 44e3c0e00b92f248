#pragma once
// The channel test "Тест": with the test switched on the controller's
// calculations are off, and every round sets the sixteen relays and both
// analog outputs from the screen and shows the inputs, the digital inputs
// and the calculation time. Closing switches the calculations on again.

#include "link/live.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vkm {

struct AppContext;

// Bit i set for each checked box i.
uint16_t relayMask(const std::array<bool, 8>& relays);

class TFormTestAll : public QDialog {
    Q_OBJECT
public:
    explicit TFormTestAll(AppContext& ctx, QWidget* parent = nullptr);

    void CheckBox1Click();   // "Использовать", set or cleared
    void TimerAnalogTimer(); // one round of fourteen requests

    PollCycle& pollCycle() { return poll_; }

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    // MathOff or MathOn; when it fails, three more without looking.
    void mathSwitch(bool on);

    AppContext& ctx_;
    PollCycle poll_;
    std::array<QCheckBox*, 16> Relay{};
    QSpinBox* Dac1;
    QSpinBox* Dac2;
    QCheckBox* CheckBox1;
    std::array<QLineEdit*, 8> Channel{};
    std::array<QCheckBox*, 16> Input{};
    QLineEdit* CalcTime;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

} // namespace vkm
