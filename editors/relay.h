#pragma once
// The relays editor "Модуль/Реле": whether each of the sixteen relays K-1 to
// K-16 is used and its digital inputs.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace vkm {

struct AppContext;
class TFormDigitalSet;

class TFormRelay : public QDialog {
    Q_OBJECT
public:
    explicit TFormRelay(AppContext& ctx, QWidget* parent = nullptr);

    // The image bytes that hold the relays' in-use flags and input sets.
    static constexpr int kOnlineFrom = 1408;
    static constexpr int kOnlineTo = 1508;

    void LoadRelay(int r);
    void SaveRelay(int r);
    int chosenRelay() const { return relay_; }

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
    int relay_ = -1;
    QComboBox* list_;
    QCheckBox* use_;
    QPushButton* inputs_;
    QPushButton* apply_;
};

} // namespace vkm
