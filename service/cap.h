#pragma once
// DAC calibration "Регулировка ЦАП": the source and two-point scaling of the
// two analog outputs, with the live source value (Show) or the output driven
// with the minimum or maximum code being edited (SetMin, SetMax).

#include "link/live.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vkm {

struct AppContext;
class DecimalSpinBox;

enum class DacAdjustMode { Show = 0, SetMin = 1, SetMax = 2 };

// The DAC code the points give for a source value, "%2.2f", without
// clamping; "error" when both points have the same real value.
QString dacCodeText(double value, double minReal, double minCode, double maxReal, double maxCode);

class TFormCAP : public QDialog {
    Q_OBJECT
public:
    explicit TFormCAP(AppContext& ctx, QWidget* parent = nullptr);

    // Output 0 or 1; -1 (none chosen) does nothing.
    void LoadCAP(int output);
    void SaveCAP(int output);

    void ComboBox1Change();  // output chosen
    void BtShowClick();
    void BtSetMinClick();
    void BtSetMaxClick();
    void OKBtnClick();
    void ApplyBtnClick();
    void TimerAnalogTimer();

    DacAdjustMode mode() const { return DacAdjustMode_; }
    PollCycle& pollCycle() { return poll_; }

    // The three ranges an on-line Apply writes, in order.
    static constexpr int kApplyRanges[3][2] = {{1, 2}, {66, 146}, {1342, 1352}};

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void done(int r) override;

private:
    int output() const;

    AppContext& ctx_;
    PollCycle poll_;
    DacAdjustMode DacAdjustMode_ = DacAdjustMode::Show;

    QComboBox* ComboBox1;   // output
    QComboBox* ComboBox2;   // source
    QCheckBox* CheckBox1;   // "Использовать"
    DecimalSpinBox* MinReal;
    QSpinBox* MinCode;
    DecimalSpinBox* MaxReal;
    QSpinBox* MaxCode;
    QPushButton* BtSetMin;
    QPushButton* BtSetMax;
    QPushButton* BtShow;
    QLineEdit* EditSource;
    QLineEdit* EditDac;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* ApplyBtn;
};

} // namespace vkm
