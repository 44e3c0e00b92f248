#include "app/dialogs.h"

#include "app/about.h"
#include "app/readcontroller.h"
#include "app/setup.h"
#include "app/writecontroller.h"
#include "editors/analogmodule.h"
#include "editors/charactermodule.h"
#include "editors/curves.h"
#include "editors/digitalset.h"
#include "editors/display.h"
#include "editors/formula.h"
#include "editors/relay.h"
#include "editors/strings.h"
#include "editors/switchpoint.h"
#include "editors/switsh.h"
#include "service/acp.h"
#include "service/cap.h"
#include "service/datetrans.h"
#include "service/readcontrollerxmemory.h"
#include "service/setspeedcontroller.h"
#include "service/test.h"
#include "service/testall.h"

namespace vkm {

// The order is the start-up order of the application. A dialog that joins
// takes its line below, as `FormX = new TFormX(ctx, parent);`, and a member
// in dialogs.h; the main window's menu item shows it with exec().
Dialogs::Dialogs(AppContext& ctx, LinkSession& link, QWidget* parent)
{
    AboutBox = new TAboutBox(parent);
    FormSetup = new TFormSetup(ctx, link, parent);
    FormCharacterModule = new TFormCharacterModule(ctx, parent);
    FormFormula = new TFormFormula(ctx, parent);
    FormWriteController = new TFormWriteController(ctx, parent);
    FormTestAll = new TFormTestAll(ctx, parent);
    FormStrings = new TFormStrings(ctx, parent);
    FormACP = new TFormACP(ctx, parent);
    FormCurves = new TFormCurves(ctx, parent);
    FormSetSpeedController = new TFormSetSpeedController(ctx, parent);
    FormSwitsh = new TFormSwitsh(ctx, parent);
    // The service terminal shows the link session's port, protocol and
    // information log, which exist before any dialog.
    DateTrans = new TDateTrans(ctx, link, parent);
    FormDigitalSet = new TFormDigitalSet(ctx, parent);
    FormSwitchPoint = new TFormSwitchPoint(ctx, parent);
    FormRelay = new TFormRelay(ctx, parent);
    FormCAP = new TFormCAP(ctx, parent);
    FormTest = new TFormTest(ctx, parent);
    FormAnalogModule = new TFormAnalogModule(ctx, parent);
    FormReadController = new TFormReadController(ctx, parent);
    FormReadControllerXMemory = new TFormReadControllerXMemory(ctx, parent);
    FormDisplay = new TFormDisplay(ctx, parent);
}

} // namespace vkm
