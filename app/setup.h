#pragma once
// "Настройки программы": the port number and speed (each click reopens the
// port at once and rewrites section "Dtrans") and the OnLine/OffLine button.

#include "app/ui/context.h"

#include <QDialog>

#include <functional>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace vkm {

class LinkSession;

class TFormSetup : public QDialog {
    Q_OBJECT
public:
    static constexpr int kBauds[7] = {4800, 9600, 14400, 19200, 38400, 57600, 115200};

    TFormSetup(AppContext& ctx, LinkSession& link, QWidget* parent = nullptr);

    // Status panel 1 of the main window ("Состояние : On Line" / "Off Line").
    std::function<void(const QString&)> onStateText;

    // Handlers
    void FormShow();
    void FormClose();
    void selectComPortClick(int index);
    void BaudClick(int index);
    void BitBtn1Click();

    int selectComPortIndex() const;
    int baudIndex() const;
    // Sets a group's choice without acting as a click (-1: none).
    void setSelectComPortIndex(int index);
    void setBaudIndex(int index);
    // The device a port number maps to, shown beside its item.
    void refreshDevices();

    QGroupBox* selectComPort;
    QButtonGroup* comGroup;
    QRadioButton* comItems[9];
    QGroupBox* Baud;
    QButtonGroup* baudGroup;
    QRadioButton* baudItems[7];
    QPushButton* BitBtn1;
    QLabel* LabelEdit1;
    QProgressBar* pbar;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    void reopen(const std::function<void()>& choose);
    AppContext& ctx_;
    LinkSession& link_;
    bool busy_ = false;
};

} // namespace vkm
