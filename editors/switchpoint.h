#pragma once
// The switch points editor "Модуль/Точки переключений": sixteen thresholds
// on controller parameters, each with its condition, a constant or variable
// threshold, hysteresis, delays, the relay it drives and its digital inputs.

#include <QDialog>

#include <cstdint>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace vkm {

struct AppContext;
class TFormDigitalSet;

// What the controls hold for one point, read and checked before anything is
// stored. Levels are in tenths, as stored.
struct SwitchPointValues {
    int32_t level = 0;
    int32_t hysteresis = 0;
    int32_t onDelay = 0;
    int32_t offDelay = 0;
};

// The threshold source of a point from the radio choice and the variable
// list: 255 for "Константа"; with "Переменная" the item index minus 1 (-1 for
// its "Нет"), or `stored` when the list has no item chosen.
int32_t levelSourceFor(bool constant, int variableIndex, int32_t stored);
// The variable list's item for a stored source other than 255: source + 1
// when the list has that item, otherwise none (-1).
int variableIndexFor(int32_t source, int itemCount);

class TFormSwitchPoint : public QDialog {
    Q_OBJECT
public:
    explicit TFormSwitchPoint(AppContext& ctx, QWidget* parent = nullptr);

    // Every switch-point field in the image.
    static constexpr int kOnlineFrom = 1102;
    static constexpr int kOnlineTo = 1537;

    void LoadRelay(int p);
    // Throws std::runtime_error with the error box text when a field is not
    // a number; nothing is stored then.
    void SaveRelay(int p);
    int chosenPoint() const { return point_; }

    void FormShow();
    void ComboBox1Change(int index); // point
    void RadioChange();              // "Константа" / "Переменная"
    void RelayChange(int index);     // "Реле управления:"
    void Button1Click();             // OK
    void Button3Click();             // Apply
    void Button4Click();             // "Цифровые входы"

protected:
    void showEvent(QShowEvent* e) override;

private:
    TFormDigitalSet& digital();
    SwitchPointValues readFields() const;
    void updateEnabling();

    AppContext& ctx_;
    int point_ = -1;
    QComboBox* list_;
    QComboBox* condition_;
    QComboBox* param_;
    QRadioButton* constant_;
    QRadioButton* variable_;
    QLineEdit* level_;
    QComboBox* variableList_;
    QLineEdit* hysteresis_;
    QLineEdit* onDelay_;
    QLineEdit* offDelay_;
    QComboBox* relay_;
    QPushButton* inputs_;
    QPushButton* apply_;
};

} // namespace vkm
