#pragma once
// "Модуль/Характеристики": the input and the correction curve of the eight
// characteristics, with the chosen characteristic's value read live.

#include "link/live.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace vkm {

struct AppContext;

class TFormCharacterModule : public QDialog {
    Q_OBJECT
public:
    static constexpr int kOnlineFrom = 1505;
    static constexpr int kOnlineTo = 1520;

    explicit TFormCharacterModule(AppContext& ctx, QWidget* parent = nullptr);

    void FormShow();
    void LoadACPParams(int c);
    void SaveACPParams(int c);
    void ComboBox1Change(int index);
    void OKBtnClick();
    void CancelBtnClick();
    void ApplyBtnClick();
    void TimerAnalogTimer();

    int chosenCharacteristic() const; // -1 when none
    PollCycle& pollCycle() { return poll_; }

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    AppContext& ctx_;
    PollCycle poll_;

    QComboBox* ComboBox1; // "Характеристика:"
    QComboBox* ComboBox2; // "Входной канал:"
    QComboBox* ComboBox3; // "Номер коррекции:"
    QLineEdit* Edit1;     // "Реальное значение:"
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* ApplyBtn;
};

} // namespace vkm
