#include "app/dialogs.h"

#include "app/about.h"
#include "app/readcontroller.h"
#include "app/setup.h"
#include "app/writecontroller.h"

namespace vkm {

// The order is the start-up order of the application. A dialog that joins
// takes its line below, as `FormX = new TFormX(ctx, parent);`, and a member
// in dialogs.h; the main window's menu item shows it with exec().
Dialogs::Dialogs(AppContext& ctx, LinkSession& link, QWidget* parent)
{
    AboutBox = new TAboutBox(parent);
    FormSetup = new TFormSetup(ctx, link, parent);
    // FormCharacterModule = new TFormCharacterModule(ctx, parent);  // ("Характеристики")
    // FormFormula = new TFormFormula(ctx, parent);  // ("Формулы")
    FormWriteController = new TFormWriteController(ctx, parent);
    // FormTestAll = new TFormTestAll(ctx, parent);  // ("Тест каналов")
    // FormStrings = new TFormStrings(ctx, parent);  // ("Идентификация")
    // FormACP = new TFormACP(ctx, parent);  // ("АЦП")
    // FormCurves = new TFormCurves(ctx, parent);  // ("Кривые")
    // FormSetSpeedController = new TFormSetSpeedController(ctx, parent);  // ("Установить скорость обмена")
    // FormSwitsh = new TFormSwitsh(ctx, parent);  // ("Переключатели")
    // DateTrans = new TDateTrans(ctx, ..., parent);  // ("Настройка") the service terminal shows the link
    //   session's port, protocol and information log, which exist already.
    // FormDigitalSet = new TFormDigitalSet(ctx, parent);  // (opened from the relays, switches and switch points)
    // FormSwitchPoint = new TFormSwitchPoint(ctx, parent);  // ("Точки переключений")
    // FormRelay = new TFormRelay(ctx, parent);  // ("Реле")
    // FormCAP = new TFormCAP(ctx, parent);  // ("ЦАП")
    // FormTest = new TFormTest(ctx, parent);  // (single-channel test, hidden item "Тест")
    // FormAnalogModule = new TFormAnalogModule(ctx, parent);  // ("Аналоговые входы")
    FormReadController = new TFormReadController(ctx, parent);
    // FormReadControllerXMemory = new TFormReadControllerXMemory(ctx, parent);  // ("Чтение всей Flash")
    // FormDisplay = new TFormDisplay(ctx, parent);  // ("Дисплей")
}

} // namespace vkm
