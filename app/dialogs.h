#pragma once
// Every dialog of the application, created once at start-up in a fixed order
// and kept until exit; a menu command shows the existing instance.

#include "app/ui/context.h"

#include <QObject>

class QDialog;
class QWidget;

namespace vkm {

class LinkSession;
class TAboutBox;
class TFormSetup;
class TFormReadController;
class TFormWriteController;
class TFormCharacterModule;
class TFormFormula;
class TFormStrings;
class TFormACP;
class TFormCurves;
class TFormSwitsh;
class TFormDigitalSet;
class TFormSwitchPoint;
class TFormRelay;
class TFormAnalogModule;
class TFormDisplay;
class TFormTestAll;
class TFormSetSpeedController;
class TDateTrans;
class TFormCAP;
class TFormTest;
class TFormReadControllerXMemory;

struct Dialogs {
    // Creates them in start-up order, each a child of `parent`.
    Dialogs(AppContext& ctx, LinkSession& link, QWidget* parent);

    TAboutBox* AboutBox = nullptr;
    TFormSetup* FormSetup = nullptr;
    TFormCharacterModule* FormCharacterModule = nullptr;
    TFormFormula* FormFormula = nullptr;
    TFormWriteController* FormWriteController = nullptr;
    TFormTestAll* FormTestAll = nullptr;
    TFormStrings* FormStrings = nullptr;
    TFormACP* FormACP = nullptr;
    TFormCurves* FormCurves = nullptr;
    TFormSetSpeedController* FormSetSpeedController = nullptr;
    TFormSwitsh* FormSwitsh = nullptr;
    TDateTrans* DateTrans = nullptr;
    TFormDigitalSet* FormDigitalSet = nullptr;
    TFormSwitchPoint* FormSwitchPoint = nullptr;
    TFormRelay* FormRelay = nullptr;
    TFormCAP* FormCAP = nullptr;
    TFormTest* FormTest = nullptr;
    TFormAnalogModule* FormAnalogModule = nullptr;
    TFormReadController* FormReadController = nullptr;
    TFormReadControllerXMemory* FormReadControllerXMemory = nullptr;
    TFormDisplay* FormDisplay = nullptr;
};

} // namespace vkm
