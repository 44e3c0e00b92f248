#pragma once
// The flash dump dialog: the chosen sectors of the controller's program
// memory into "sector1.bin" .. "sector14.bin" in the current directory.

#include "link/flashdump.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vkm {

struct AppContext;

class TFormReadControllerXMemory : public QDialog {
    Q_OBJECT
public:
    explicit TFormReadControllerXMemory(AppContext& ctx, QWidget* parent = nullptr);

    void btReadClick(); // "Прочитать"
    void btStopClick(); // "Стоп"

    bool running() const { return running_; }
    // Where the files go; the current directory unless a test says otherwise.
    void setDirectory(const QString& dir) { dir_ = dir; }

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    AppContext& ctx_;
    QString dir_ = QStringLiteral(".");
    bool stop_ = true;
    bool running_ = false;
    int pendingClose_ = -1; // a close asked for during a dump, done once it ends

    QLineEdit* Edit1;
    std::array<QCheckBox*, kFlashSectors> Sector{};
    QProgressBar* pbar;
    QLabel* Label1;
    QPushButton* btStop;
    QPushButton* btRead;
    QPushButton* btClose;
};

} // namespace vkm
