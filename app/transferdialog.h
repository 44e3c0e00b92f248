#pragma once
// The shell that the read and write dialogs share: a status field, a progress
// bar over the 2048 image bytes, a start and a close button, and the rule that
// a running transfer owns the line: it cannot be started twice and the dialog
// closes only when it has ended.

#include "app/ui/context.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QProgressBar;
class QPushButton;

namespace vkm {

class TransferDialog : public QDialog {
    Q_OBJECT
public:
    bool running() const { return running_; }

    QLineEdit* Edit1;
    QPushButton* Button1; // start
    QPushButton* Button2; // "Закрыть"

public slots:
    void reject() override;

protected:
    // `barName` is the progress bar's object name ("pbar", "pBar").
    TransferDialog(AppContext& ctx, const QString& title, const QString& startText, const QString& barName,
                   QWidget* parent);
    // Runs `transfer` with both buttons disabled; nothing when one runs already.
    void runTransfer(const std::function<void()>& transfer);
    // Lets a finished transfer close the dialog from inside runTransfer.
    void endRunning();
    virtual void startClicked() = 0;

    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

    AppContext& ctx_;
    QProgressBar* bar_;

private:
    void setRunning(bool on);
    bool running_ = false;
};

} // namespace vkm
