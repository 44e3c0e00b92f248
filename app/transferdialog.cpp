#include "app/transferdialog.h"

#include "app/ui/buttonrow.h"
#include "app/ui/guard.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace vkm {

TransferDialog::TransferDialog(AppContext& ctx, const QString& title, const QString& startText,
                               const QString& barName, QWidget* parent)
    : QDialog(parent), ctx_(ctx)
{
    setWindowTitle(title);

    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setReadOnly(true);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(barName);
    bar_->setRange(0, 2048);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    Button1 = new QPushButton(startText, this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Закрыть"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1->setAutoDefault(false);
    Button2->setAutoDefault(false);

    auto* buttons = buttonRow({Button1, Button2});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Edit1);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    setFixedSize(360, sizeHint().height());

    connect(Button1, &QPushButton::clicked, this, [this] { guarded(ctx_.prompts, [this] { startClicked(); }); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

void TransferDialog::showEvent(QShowEvent* e)
{
    Edit1->clear();
    QDialog::showEvent(e);
}

void TransferDialog::setRunning(bool on)
{
    running_ = on;
    Button1->setEnabled(!on);
    Button2->setEnabled(!on);
}

void TransferDialog::endRunning()
{
    setRunning(false);
}

void TransferDialog::runTransfer(const std::function<void()>& transfer)
{
    if (running_)
        return;
    struct Running {
        TransferDialog* d;
        ~Running() { d->setRunning(false); }
    } running{this};
    setRunning(true);
    transfer();
}

void TransferDialog::reject()
{
    // the transfer owns the line until it has ended
    if (!running_)
        QDialog::reject();
}

void TransferDialog::closeEvent(QCloseEvent* e)
{
    if (running_)
        e->ignore();
    else
        QDialog::closeEvent(e);
}

} // namespace vkm
