#pragma once
// The service terminal "Настройка ВКМ": single word reads and byte writes in
// any memory space, the remote panel frame once or in a cycle, the
// controller's calculations off and on, and the information log of every
// exchange. Created once at start-up; hiding it keeps the link usable.

#include "link/panel.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace vkm {

struct AppContext;
class LinkSession;

class TDateTrans : public QDialog {
    Q_OBJECT
public:
    TDateTrans(AppContext& ctx, LinkSession& session, QWidget* parent = nullptr);

    // The fields from the session's "Dtrans" values and back. Showing the
    // window reads the section first; closing it stores and writes it.
    void loadFields();
    void storeFields();

    // Handlers, public for the menu and for tests.
    void SetAdrBtnClick();   // "Записать"
    void SpeedButton4Click(); // "Прочитать"
    void BitBtn1Click();     // "Start": the panel pass, repeated while "Цикл" is checked
    void BitBtn2Click();     // "Выкл. матем."
    void BitBtn4Click();     // "Вкл. матем."
    void ByteOutChange();
    void ByteInChange();
    void AdrConEditChange();
    void Memo1Change();

    bool TerminalBusy() const { return terminalBusy_; }
    bool panelRunning() const { return panelRunning_; }
    // The panel fields as they stand; throws on a text that is not a number.
    PanelValues panelValues() const;

    static constexpr int kPanelPauseMs = 5 * 55;

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    // Runs one of the four byte-level operations under TerminalBusy.
    void byteOperation(const std::function<void()>& body);
    void readFunction(uint8_t space);
    uint8_t memorySpace() const;

    AppContext& ctx_;
    LinkSession& session_;
    bool terminalBusy_ = false;
    bool panelRunning_ = false;
    int addressFound_ = 1; // "Adr:" as a panel cycle found it
    bool logDirty_ = true;
    int shownLines_ = 0;   // log lines in the "Информация" pane

    QTabWidget* PageControl1;
    QLineEdit* AdrOut;
    QLineEdit* ByteOut;
    QLineEdit* ByteOutBin;
    QLineEdit* AdrIn;
    QLineEdit* ByteIn;
    QLineEdit* ByteInBin;
    QButtonGroup* RadioGroup1;
    QPushButton* SetAdrBtn;
    QPushButton* SpeedButton4;

    QLineEdit* PanelWeight;
    QLineEdit* PanelReach;
    QLineEdit* PanelSumWeight;
    QLineEdit* PanelTare;
    QSpinBox* PanelMinute;
    QSpinBox* PanelHour;
    QSpinBox* PanelDay;
    QSpinBox* PanelMonth;
    QSpinBox* PanelYear;
    QSpinBox* PanelHoursRun;
    QSpinBox* PanelTonsRun;
    QSpinBox* PanelAlarm;
    QCheckBox* CheckCycle;
    QPushButton* BitBtn1;

    QPushButton* BitBtn2;
    QPushButton* BitBtn4;

    QPlainTextEdit* Memo2; // "Передача"
    QPlainTextEdit* Memo3; // "Приём"
    QPlainTextEdit* Memo1; // "Информация"
    QSpinBox* TimeWait;
    QSpinBox* AdrConEdit;
    QPushButton* ExitButton;
};

} // namespace vkm
