#pragma once
// "Модуль/Формулы": sixteen formulas over channels, formulas 1..8 and a
// constant. Adding and removing operands changes the settings at once; the
// chosen formula's result is read live.

#include "core/settings.h"
#include "link/live.h"

#include <QDialog>
#include <QString>

#include <optional>
#include <vector>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vkm {

struct AppContext;

// One row of an operand list and the operand it stands for.
struct OperandRow {
    enum Kind { Channel = 1, Formula = 2, Constant = 3 };
    QString text;
    int kind = Channel;
    int number = 0; // channel or formula index (0 based); the stored constant for the right list's constant row

    bool operator==(const OperandRow&) const = default;
};

// The operands that may be added: channels in use, formulas 1..8 that are
// defined, and "Константа".
std::vector<OperandRow> formulaLeftRows(const SettingsRecord& s);
// The operands of formula f; the first operand carries a leading "*".
std::vector<OperandRow> formulaRightRows(const SettingsRecord& s, int f);
// "1.5" for 150, "1" for 100, "0.05" for 5, with the locale's separator.
QString formulaConstantText(int32_t stored);
// The constant typed in the input box, x100 rounded half-even and held to
// 0..32760; nullopt for a text that is not a number.
std::optional<int32_t> formulaConstantFromText(const QString& text);

// The press of "Добавить" for formula f: `row` is the chosen left row (none:
// only the operation and the flag are stored), `operation` the operation
// list's item (-1 for none, stored as 0), `constant` the value entered for a
// constant row.
void addFormulaOperand(SettingsRecord& s, int f, const OperandRow* row, int operation,
                       int32_t constant = 0);
// The press of "Удалить" for formula f with the chosen right row (or none).
// Removing the first operand clears the whole formula but its operation.
void removeFormulaOperand(SettingsRecord& s, int f, const OperandRow* row);

class TFormFormula : public QDialog {
    Q_OBJECT
public:
    static constexpr int kOnlineFrom = 956;
    static constexpr int kOnlineTo = 1100;

    explicit TFormFormula(AppContext& ctx, QWidget* parent = nullptr);

    void FormShow();
    void LoadLeftPanel();
    void LoadRightPanel(int f);
    void ComboBox1Change(int index); // formula chosen
    void ComboBox2Change(int index); // operation changed
    void Button1Click();             // "Добавить"
    void Button2Click();             // "Удалить"
    void OKBtnClick();
    void CancelBtnClick();
    void ApplyBtnClick();
    void TimerAnalogTimer();

    int chosenFormula() const; // -1 when none
    PollCycle& pollCycle() { return poll_; }

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void storeOperation();

    AppContext& ctx_;
    PollCycle poll_;
    std::vector<OperandRow> left_;
    std::vector<OperandRow> right_;

    QComboBox* ComboBox1;   // "Номер формулы:"
    QComboBox* ComboBox2;   // "Операция:"
    QListWidget* ListBox1;  // "Параметры:"
    QListWidget* ListBox2;  // "Расчеты:"
    QPushButton* Button1;   // "Добавить"
    QPushButton* Button2;   // "Удалить"
    QLineEdit* Edit1;       // "Результат:"
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QPushButton* ApplyBtn;
};

} // namespace vkm
