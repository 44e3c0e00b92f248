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

struct Dialogs {
    // Creates them in start-up order, each a child of `parent`.
    Dialogs(AppContext& ctx, LinkSession& link, QWidget* parent);

    TAboutBox* AboutBox = nullptr;
    TFormSetup* FormSetup = nullptr;
    QDialog* FormCharacterModule = nullptr;
    QDialog* FormFormula = nullptr;
    TFormWriteController* FormWriteController = nullptr;
    QDialog* FormTestAll = nullptr;
    QDialog* FormStrings = nullptr;
    QDialog* FormACP = nullptr;
    QDialog* FormCurves = nullptr;
    QDialog* FormSetSpeedController = nullptr;
    QDialog* FormSwitsh = nullptr;
    QDialog* DateTrans = nullptr;
    QDialog* FormDigitalSet = nullptr;
    QDialog* FormSwitchPoint = nullptr;
    QDialog* FormRelay = nullptr;
    QDialog* FormCAP = nullptr;
    QDialog* FormTest = nullptr;
    QDialog* FormAnalogModule = nullptr;
    TFormReadController* FormReadController = nullptr;
    QDialog* FormReadControllerXMemory = nullptr;
    QDialog* FormDisplay = nullptr;
};

} // namespace vkm
