#include "app/ui/qtprompter.h"

#include "core/version.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace vkm {
namespace {

QWidget* parentWidget()
{
    QWidget* w = QApplication::activeModalWidget();
    return w ? w : QApplication::activeWindow();
}

QMessageBox::Icon iconOf(Prompter::Kind kind)
{
    switch (kind) {
    case Prompter::Kind::Plain: return QMessageBox::NoIcon;
    case Prompter::Kind::Information: return QMessageBox::Information;
    case Prompter::Kind::Error: return QMessageBox::Critical;
    case Prompter::Kind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString titleOf(Prompter::Kind kind)
{
    switch (kind) {
    case Prompter::Kind::Plain: return QString::fromUtf16(kApplicationTitle);
    case Prompter::Kind::Information: return QStringLiteral("Information");
    case Prompter::Kind::Error: return QStringLiteral("Error");
    case Prompter::Kind::Confirmation: return QStringLiteral("Confirm");
    }
    return {};
}

} // namespace

void QtPrompter::message(Kind kind, const QString& text)
{
    QMessageBox box(iconOf(kind), titleOf(kind), text, QMessageBox::Ok, parentWidget());
    box.exec();
}

Prompter::Answer QtPrompter::ask(Kind kind, const QString& text)
{
    QMessageBox box(iconOf(kind), titleOf(kind), text, QMessageBox::Yes | QMessageBox::No, parentWidget());
    box.setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    const int r = box.exec();
    if (r == QMessageBox::Yes)
        return Answer::Yes;
    if (r == QMessageBox::No)
        return Answer::No;
    return Answer::Closed;
}

std::optional<QString> QtPrompter::openFileName(const QString& filter)
{
    const QString name = QFileDialog::getOpenFileName(parentWidget(), {}, {}, filter);
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

std::optional<QString> QtPrompter::saveFileName(const QString& filter, const QString& defaultSuffix,
                                                const QString& initialName)
{
    QFileDialog dlg(parentWidget(), {}, {}, filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!defaultSuffix.isEmpty())
        dlg.setDefaultSuffix(defaultSuffix);
    if (!initialName.isEmpty())
        dlg.selectFile(initialName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().first();
}

std::optional<QString> QtPrompter::inputText(const QString& title, const QString& label, const QString& initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parentWidget(), title, label, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

} // namespace vkm
