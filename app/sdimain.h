#pragma once
// The main window: menus, toolbar, the four status fields and the file
// commands; every task runs in one of the dialogs created at start-up.

#include "app/dialogs.h"
#include "app/ui/context.h"

#include <QMainWindow>

#include <memory>

class QLabel;
class QAction;

namespace vkm {

class LinkSession;
class Prompter;

class TSDIAppForm : public QMainWindow {
    Q_OBJECT
public:
    TSDIAppForm(LinkSession& link, Prompter& prompts, QWidget* parent = nullptr);
    ~TSDIAppForm() override;

    // Commands
    void FileNew1Execute();   // New
    void FileOpen1Execute();  // Open
    void FileSave1Execute();  // Save
    void ExportExecute();     // "Экспорт данных"
    void Test2Execute();      // "Тест2"
    void SetupExecute();      // "Общие настройки"
    void AboutExecute();      // "О программе..."

    void CaptionPrint(const QString& name);
    // "СОМ" + number + "," + speed + ",8,N,2"
    void printPortStatus();

    AppContext& context() { return ctx_; }
    Dialogs& dialogs() { return *dialogs_; }
    // Status fields 0..3: version, state, error code, port.
    QLabel* StatusBar[4];
    QAction* actionFor(const QString& text) const;

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void FormShow();
    void buildMenus();
    void showDialog(QDialog* d);
    LinkSession& link_;
    Prompter& prompts_;
    AppContext ctx_;
    std::unique_ptr<Dialogs> dialogs_;
    bool shown_ = false;
    QString saveName_; // the last completed save name
};

} // namespace vkm
