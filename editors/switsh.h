#pragma once
// The switches editor "Модуль/Переключатели": the eight switches Switch-1 to
// Switch-8, each used or not, with the two parameters it watches and its
// digital inputs. Elsewhere a switch is the parameter "Переключение n".

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace vkm {

struct AppContext;
class TFormDigitalSet;

class TFormSwitsh : public QDialog {
    Q_OBJECT
public:
    explicit TFormSwitsh(AppContext& ctx, QWidget* parent = nullptr);

    // The image bytes of the switches' flags, parameters and input sets.
    static constexpr int kOnlineFrom = 1352;
    static constexpr int kOnlineTo = 1408;

    void LoadSwitch(int s);
    void SaveSwitch(int s);
    int chosenSwitch() const { return switch_; }

    void FormShow();
    void ComboBox1Change(int index);
    void Button1Click(); // OK
    void Button3Click(); // Apply
    void Button4Click(); // "Цифровые входы"

protected:
    void showEvent(QShowEvent* e) override;

private:
    TFormDigitalSet& digital();

    AppContext& ctx_;
    int switch_ = -1;
    QComboBox* list_;
    QCheckBox* use_;
    QComboBox* param1_;
    QComboBox* param2_;
    QPushButton* inputs_;
    QPushButton* apply_;
};

} // namespace vkm
