#pragma once
// "Модуль/Аналоговый": the eight analog measuring channels, one at a time,
// with the channel's raw ADC code and real value read live while it is in use.

#include "link/live.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vkm {

struct AppContext;

class TFormAnalogModule : public QDialog {
    Q_OBJECT
public:
    // Image bytes written by the on-line Apply: the channel tables 0..65 and
    // the correction codes 146..155, in one write (blocks 0..20).
    static constexpr int kOnlineFrom = 0;
    static constexpr int kOnlineTo = 155;

    explicit TFormAnalogModule(AppContext& ctx, QWidget* parent = nullptr);

    void FormShow();
    void LoadACPParams(int channel);
    void SaveACPParams(int channel);
    void ComboBox1Change(int index);
    void CheckBox1Click();
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
    // Settings enabled and readings polled exactly when a channel is chosen
    // and "Использовать" is ticked.
    void updateEnabling();

    AppContext& ctx_;
    PollCycle poll_;

    QComboBox* ComboBox1;  // "Канал-1".."Канал-8"
    QCheckBox* CheckBox1;  // "Использовать"
    QComboBox* ComboBox2;  // "Тип датчика:"
    QComboBox* ComboBox3;  // "Номер коррекции:"
    QSpinBox* SpinEdit1;   // "Фильтрация,ms:"
    QSpinBox* SpinEdit2;   // "Замыкание:"
    QSpinBox* SpinEdit3;   // "Обрыв:"
    QComboBox* ComboBox4;  // "Реле управления:"
    QLineEdit* Edit1;      // "Показание АЦП:"
    QLineEdit* Edit2;      // "Реальное значение:"
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* ApplyBtn;
};

} // namespace vkm
