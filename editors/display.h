#pragma once
// The display editor "Модуль/Дисплей": which parameters the controller's
// display shows as the load in tonnes, the outreach and the limits.

#include <QDialog>

class QComboBox;
class QPushButton;

namespace vkm {

struct AppContext;

class TFormDisplay : public QDialog {
    Q_OBJECT
public:
    explicit TFormDisplay(AppContext& ctx, QWidget* parent = nullptr);

    // From the first display byte to the last; everything between is
    // rewritten with it.
    static constexpr int kOnlineFrom = 1100;
    static constexpr int kOnlineTo = 1505;

    void LOadAll();
    void SaveAll();

    void FormShow();
    void Button1Click(); // OK
    void Button3Click(); // Apply

protected:
    void showEvent(QShowEvent* e) override;

private:
    AppContext& ctx_;
    QComboBox* load_;
    QComboBox* outreach_;
    QComboBox* limits_;
    QPushButton* apply_;
};

} // namespace vkm
