#pragma once
// "Регулировка АЦП": the two-point scaling of each analog input, with the
// channel's live ADC code and the real value that code gives under the points
// as they stand in the editors.

#include "link/live.h"

#include <QDialog>
#include <QDoubleSpinBox>

#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vkm {

struct AppContext;

// The real value of an ADC code on the line through (inMin, outMin) and
// (inMax, outMax), extrapolated beyond the points; nullopt when the two ADC
// codes are equal.
std::optional<double> calibratedValue(int code, int inMin, double outMin, int inMax, double outMax);

// A decimal field for real values: shows two decimals, or more when the
// value typed has more, so that 0.125 is stored as typed and rounded once,
// half-even, when it is saved x100.
class DecimalSpinBox : public QDoubleSpinBox {
    Q_OBJECT
public:
    explicit DecimalSpinBox(QWidget* parent = nullptr);
    QString textFromValue(double value) const override;
};

class TFormACP : public QDialog {
    Q_OBJECT
public:
    // The whole scaling table in the image (all ten slots).
    static constexpr int kOnlineFrom = 66;
    static constexpr int kOnlineTo = 146;

    explicit TFormACP(AppContext& ctx, QWidget* parent = nullptr);

    void FormShow();
    void LoadACP(int channel);
    void SaveACP(int channel);
    void ComboBox1Change(int index);
    void OKBtnClick();
    void CancelBtnClick();
    void ApplyBtnClick();
    void TimerAnalogTimer();

    int chosenChannel() const; // -1 when none
    PollCycle& pollCycle() { return poll_; }

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    AppContext& ctx_;
    PollCycle poll_;

    QComboBox* ComboBox1;        // "Канал 1".."Канал 8"
    QLineEdit* Edit1;            // live "Показание АЦП:"
    QLineEdit* Edit2;            // live "Реальное значение:"
    QSpinBox* SpinEdit1;         // minimum point, ADC code
    DecimalSpinBox* FloatEdit1;  // minimum point, real value
    QSpinBox* SpinEdit2;         // maximum point, ADC code
    DecimalSpinBox* FloatEdit2;  // maximum point, real value
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* ApplyBtn;
};

} // namespace vkm
