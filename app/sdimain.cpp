#include "app/sdimain.h"

#include "app/about.h"
#include "app/placement.h"
#include "app/readcontroller.h"
#include "app/setup.h"
#include "app/ui/guard.h"
#include "app/writecontroller.h"
#include "core/defaults.h"
#include "core/files.h"
#include "core/image.h"
#include "core/state.h"
#include "core/version.h"
#include "editors/analogmodule.h"
#include "editors/charactermodule.h"
#include "editors/curves.h"
#include "editors/display.h"
#include "editors/formula.h"
#include "editors/relay.h"
#include "editors/strings.h"
#include "editors/switchpoint.h"
#include "editors/switsh.h"
#include "link/protocol.h"
#include "link/session.h"
#include "service/acp.h"
#include "service/cap.h"
#include "service/datetrans.h"
#include "service/readcontrollerxmemory.h"
#include "service/setspeedcontroller.h"
#include "service/testall.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

namespace vkm {
namespace {

const QString kFilter = QStringLiteral("Bin Files (*.bin);;All Files (*.*)");

// Open's questions, asked through the boxes.
class BoxQuestions : public ReadQuestions {
public:
    explicit BoxQuestions(Prompter& p) : p_(p) {}
    bool confirmConversion() override
    {
        return p_.ask(Prompter::Kind::Error,
                      QStringLiteral("Ошибка формата файла! Сконвертировать в новый формат версии 3.4?"))
            == Prompter::Answer::Yes;
    }
    void formatError() override { p_.error(QStringLiteral("Ошибка формата файла!")); }

private:
    Prompter& p_;
};

} // namespace

TSDIAppForm::TSDIAppForm(LinkSession& link, Prompter& prompts, QWidget* parent)
    : QMainWindow(parent), link_(link), prompts_(prompts),
      ctx_{link.protocol, prompts, [this](int from, int to) { return dialogs_->FormWriteController->writeOnLine(from, to); }}
{
    setObjectName(QStringLiteral("SDIAppForm"));
    setWindowTitle(QString::fromUtf16(kApplicationTitle));
    resize(640, 120);

    const char* texts[4] = {"Версия 4.1", "Состояние: OffLine", "Код ошибки: 000", "COM1,9600,8,N,1"};
    const int widths[4] = {200, 120, 100, 50};
    for (int i = 0; i < 4; ++i) {
        StatusBar[i] = new QLabel(QString::fromUtf8(texts[i]), this);
        StatusBar[i]->setObjectName(QStringLiteral("StatusBar%1").arg(i));
        StatusBar[i]->setMinimumWidth(widths[i]);
        statusBar()->addWidget(StatusBar[i], i == 3 ? 1 : 0);
    }
    statusBar()->setSizeGripEnabled(true);

    // Every dialog, once, after the window itself.
    dialogs_ = std::make_unique<Dialogs>(ctx_, link_, this);
    dialogs_->FormSetup->onStateText = [this](const QString& t) { StatusBar[1]->setText(t); };

    // A port that fails under a transfer (the adapter pulled, the device
    // gone) closes itself; the user is told once, in the general error box,
    // as soon as the request that met the failure has ended.
    connect(&link_.port, &SerialLink::failed, this, [this](const QString& why) {
        link_.protocol.whenIdle([this, why] { prompts_.error(why); });
    });

    buildMenus();
}

TSDIAppForm::~TSDIAppForm() = default;

void TSDIAppForm::buildMenus()
{
    auto handler = [this](void (TSDIAppForm::*cmd)()) {
        return [this, cmd] { guarded(prompts_, [this, cmd] { (this->*cmd)(); }); };
    };
    auto add = [&](QMenu* m, const QString& text, auto slot, const QKeySequence& key = {}) {
        QAction* a = m->addAction(text);
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    auto dialogItem = [&](QMenu* m, const QString& text, QDialog* d) {
        QAction* a = m->addAction(text);
        // an item whose dialog has not joined yet stays greyed
        a->setEnabled(d != nullptr);
        connect(a, &QAction::triggered, this, [this, d] { showDialog(d); });
    };
    Dialogs& d = *dialogs_;

    QMenu* file = menuBar()->addMenu(QStringLiteral("Файл"));
    // "Новый" does what the toolbar's New does
    QAction* newItem = add(file, QStringLiteral("Новый"), handler(&TSDIAppForm::FileNew1Execute), QKeySequence(Qt::CTRL | Qt::Key_N));
    QAction* openItem = add(file, QStringLiteral("Открыть"), handler(&TSDIAppForm::FileOpen1Execute), QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* saveItem = add(file, QStringLiteral("Сохранить"), handler(&TSDIAppForm::FileSave1Execute), QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addSeparator();
    add(file, QStringLiteral("Общие настройки"), handler(&TSDIAppForm::SetupExecute));
    file->addSeparator();
    add(file, QStringLiteral("Выход"), [this] { close(); });

    QMenu* modules = menuBar()->addMenu(QStringLiteral("Модули"));
    dialogItem(modules, QStringLiteral("Аналоговые входы"), d.FormAnalogModule);
    dialogItem(modules, QStringLiteral("Формулы"), d.FormFormula);
    dialogItem(modules, QStringLiteral("Дисплей"), d.FormDisplay);
    dialogItem(modules, QStringLiteral("Кривые"), d.FormCurves);
    dialogItem(modules, QStringLiteral("Реле"), d.FormRelay);
    dialogItem(modules, QStringLiteral("Переключатели"), d.FormSwitsh);
    dialogItem(modules, QStringLiteral("Точки переключений"), d.FormSwitchPoint);
    dialogItem(modules, QStringLiteral("Характеристики"), d.FormCharacterModule);
    dialogItem(modules, QStringLiteral("Идентификация"), d.FormStrings);

    QMenu* adjust = menuBar()->addMenu(QStringLiteral("Регулировка"));
    dialogItem(adjust, QStringLiteral("АЦП"), d.FormACP);
    dialogItem(adjust, QStringLiteral("ЦАП"), d.FormCAP);

    QMenu* controller = menuBar()->addMenu(QStringLiteral("Контроллер"));
    dialogItem(controller, QStringLiteral("Настройка"), d.DateTrans);
    add(controller, QStringLiteral("Экспорт данных"), handler(&TSDIAppForm::ExportExecute));
    controller->addSeparator();
    dialogItem(controller, QStringLiteral("Загрузка настроек"), d.FormWriteController);
    dialogItem(controller, QStringLiteral("Чтение настроек"), d.FormReadController);
    controller->addSeparator();
    dialogItem(controller, QStringLiteral("Тест каналов"), d.FormTestAll);
    dialogItem(controller, QStringLiteral("Чтение всей Flash"), d.FormReadControllerXMemory);
    dialogItem(controller, QStringLiteral("Установить скорость обмена"), d.FormSetSpeedController);
    add(controller, QStringLiteral("Тест2"), handler(&TSDIAppForm::Test2Execute));

    QMenu* help = menuBar()->addMenu(QStringLiteral("Помощь"));
    add(help, QStringLiteral("О программе..."), handler(&TSDIAppForm::AboutExecute));

    QToolBar* tb = addToolBar(QStringLiteral("ToolBar1"));
    tb->setObjectName(QStringLiteral("ToolBar1"));
    tb->setMovable(false);
    QAction* tbNew = tb->addAction(style()->standardIcon(QStyle::SP_FileIcon), QString());
    tbNew->setObjectName(QStringLiteral("ToolButtonNew"));
    connect(tbNew, &QAction::triggered, this, handler(&TSDIAppForm::FileNew1Execute));
    QAction* tbOpen = tb->addAction(style()->standardIcon(QStyle::SP_DialogOpenButton), QString());
    tbOpen->setObjectName(QStringLiteral("ToolButtonOpen"));
    tbOpen->setToolTip(QStringLiteral("Open"));
    connect(tbOpen, &QAction::triggered, openItem, &QAction::trigger);
    QAction* tbSave = tb->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton), QString());
    tbSave->setObjectName(QStringLiteral("ToolButtonSave"));
    tbSave->setToolTip(QStringLiteral("Save"));
    connect(tbSave, &QAction::triggered, saveItem, &QAction::trigger);
    (void)newItem;
}

QAction* TSDIAppForm::actionFor(const QString& text) const
{
    for (QAction* a : findChildren<QAction*>())
        if (a->text() == text)
            return a;
    return nullptr;
}

void TSDIAppForm::showDialog(QDialog* d)
{
    if (d)
        d->exec();
}

void TSDIAppForm::CaptionPrint(const QString& name)
{
    setWindowTitle(CaptionText(name));
}

void TSDIAppForm::printPortStatus()
{
    StatusBar[3]->setText(link_.portStatusText());
}

void TSDIAppForm::showEvent(QShowEvent* e)
{
    if (!shown_) {
        shown_ = true;
        restorePlacement(*this, link_.ini, ini::kMain);
        guarded(prompts_, [this] { FormShow(); });
    }
    QMainWindow::showEvent(e);
}

// The first showing: version, caption, factory defaults, then the remembered
// link settings and the port.
void TSDIAppForm::FormShow()
{
    StatusBar[0]->setText(QStringLiteral("Версия ") + dialogs_->AboutBox->Version->text());
    CurrentFileName = QString::fromLatin1(kNoName);
    CaptionPrint(CurrentFileName);
    ResetDefaults(Settings);
    QString why;
    if (!link_.loadDtrans(&why))
        prompts_.error(why);
    if (!link_.openPort(&why)) {
        prompts_.error(why);
        return;
    }
    printPortStatus();
}

void TSDIAppForm::closeEvent(QCloseEvent* e)
{
    link_.closePort();
    guarded(prompts_, [this] {
        link_.saveDtrans();
        IniFile& ini = link_.ini;
        storePlacement(*this, ini, ini::kMain);
        ini.save();
    });
    QMainWindow::closeEvent(e);
}

void TSDIAppForm::FileNew1Execute()
{
    CurrentFileName = QString::fromLatin1(kNoName);
    CaptionPrint(CurrentFileName);
    ResetDefaults(Settings);
}

void TSDIAppForm::FileOpen1Execute()
{
    const auto path = prompts_.openFileName(kFilter);
    if (!path)
        return;
    BoxQuestions questions(prompts_);
    if (ReadData(*path, questions)) {
        CurrentFileName = QFileInfo(*path).absoluteFilePath();
        CaptionPrint(CurrentFileName);
    }
}

void TSDIAppForm::FileSave1Execute()
{
    const auto chosen = prompts_.saveFileName(kFilter, {}, saveName_);
    if (!chosen)
        return;
    const QString name = QFileInfo(completeSaveName(*chosen)).absoluteFilePath();
    saveName_ = name; // the next save dialog starts with it
    if (QFileInfo::exists(name)
        && prompts_.ask(Prompter::Kind::Confirmation, QStringLiteral("Такой файл существует. Перезаписать файл?"))
               != Prompter::Answer::Yes)
        return;
    WriteData(name, Settings);
    CurrentFileName = name;
    CaptionPrint(CurrentFileName);
    prompts_.plain(QStringLiteral("Данные сохранены!"));
}

void TSDIAppForm::ExportExecute()
{
    ExportImage(QString::fromLatin1(kExportFileName));
    prompts_.plain(QStringLiteral("Ok"));
}

void TSDIAppForm::Test2Execute()
{
    ReceivedImage = DeviceImage;
    UnpackImage(ReceivedImage, Settings);
}

void TSDIAppForm::SetupExecute()
{
    dialogs_->FormSetup->exec();
    printPortStatus();
}

void TSDIAppForm::AboutExecute()
{
    dialogs_->AboutBox->exec();
}

} // namespace vkm
