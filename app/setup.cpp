#include "app/setup.h"

#include "app/placement.h"
#include "app/ui/buttonrow.h"
#include "app/ui/guard.h"
#include "link/dtrans.h"
#include "link/inifile.h"
#include "link/onlineconnect.h"
#include "link/online.h"
#include "link/protocol.h"
#include "link/serial.h"
#include "link/session.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace vkm {

TFormSetup::TFormSetup(AppContext& ctx, LinkSession& link, QWidget* parent)
    : QDialog(parent), ctx_(ctx), link_(link)
{
    setObjectName(QStringLiteral("FormSetup"));
    setWindowTitle(QStringLiteral("Настройки программы"));

    auto* rs = new QGroupBox(QStringLiteral("Настройки порта RS232"), this);
    rs->setObjectName(QStringLiteral("GroupBox1"));

    selectComPort = new QGroupBox(QStringLiteral("Номер порта:"), rs);
    selectComPort->setObjectName(QStringLiteral("selectComPort"));
    comGroup = new QButtonGroup(this);
    auto* comLayout = new QVBoxLayout(selectComPort);
    for (int i = 0; i < 9; ++i) {
        comItems[i] = new QRadioButton(QStringLiteral("Com%1").arg(i + 1), selectComPort);
        comItems[i]->setObjectName(QStringLiteral("Com%1").arg(i + 1));
        comGroup->addButton(comItems[i], i);
        comLayout->addWidget(comItems[i]);
    }

    Baud = new QGroupBox(QStringLiteral("Скорость:"), rs);
    Baud->setObjectName(QStringLiteral("Baud"));
    baudGroup = new QButtonGroup(this);
    auto* baudLayout = new QVBoxLayout(Baud);
    for (int i = 0; i < 7; ++i) {
        baudItems[i] = new QRadioButton(QString::number(kBauds[i]), Baud);
        baudItems[i]->setObjectName(QStringLiteral("Baud%1").arg(kBauds[i]));
        baudGroup->addButton(baudItems[i], i);
        baudLayout->addWidget(baudItems[i]);
    }
    baudLayout->addStretch();

    auto* rsLayout = new QHBoxLayout(rs);
    rsLayout->addWidget(selectComPort, 1);
    rsLayout->addWidget(Baud);

    BitBtn1 = new QPushButton(onlineButtonCaption(OnlineMode), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setAutoDefault(false);
    LabelEdit1 = new QLabel(this);
    LabelEdit1->setObjectName(QStringLiteral("LabelEdit1"));
    LabelEdit1->setVisible(false);
    pbar = new QProgressBar(this);
    pbar->setObjectName(QStringLiteral("pbar"));
    pbar->setRange(0, 2048);
    pbar->setTextVisible(false);
    pbar->setVisible(false);
    // keep the dialog's size while the label and bar come and go
    for (QWidget* w : {static_cast<QWidget*>(LabelEdit1), static_cast<QWidget*>(pbar)}) {
        QSizePolicy sp = w->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        w->setSizePolicy(sp);
    }

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    OKBtn->setAutoDefault(false);
    CancelBtn->setAutoDefault(false);

    auto* buttons = buttonRow({OKBtn, CancelBtn});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(rs);
    layout->addWidget(BitBtn1);
    layout->addWidget(LabelEdit1);
    layout->addWidget(pbar);
    layout->addLayout(buttons);

    connect(comGroup, &QButtonGroup::idClicked, this,
            [this](int id) { guarded(ctx_.prompts, [&] { selectComPortClick(id); }); });
    connect(baudGroup, &QButtonGroup::idClicked, this,
            [this](int id) { guarded(ctx_.prompts, [&] { BaudClick(id); }); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { guarded(ctx_.prompts, [this] { BitBtn1Click(); }); });
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

int TFormSetup::selectComPortIndex() const { return comGroup->checkedId(); }
int TFormSetup::baudIndex() const { return baudGroup->checkedId(); }

namespace {
void check(QButtonGroup* g, int index)
{
    if (QAbstractButton* b = g->button(index)) {
        b->setChecked(true);
        return;
    }
    // no choice: an exclusive group cannot be cleared otherwise
    g->setExclusive(false);
    for (QAbstractButton* b : g->buttons())
        b->setChecked(false);
    g->setExclusive(true);
}
} // namespace

void TFormSetup::setSelectComPortIndex(int index) { check(comGroup, index); }
void TFormSetup::setBaudIndex(int index) { check(baudGroup, index); }

void TFormSetup::refreshDevices()
{
    SerialLink& port = link_.port;
    for (int i = 0; i < 9; ++i) {
        const QString device = port.deviceFor(i + 1);
        comItems[i]->setText(device.isEmpty() ? QStringLiteral("Com%1").arg(i + 1)
                                              : QStringLiteral("Com%1   %2").arg(i + 1).arg(device));
        comItems[i]->setToolTip(device);
    }
    layout()->activate();
    adjustSize();
}

void TFormSetup::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!e->spontaneous())
        guarded(ctx_.prompts, [this] { FormShow(); });
}

void TFormSetup::FormShow()
{
    refreshDevices();
    BitBtn1->setText(onlineButtonCaption(OnlineMode));

    // Section "RS": the remembered choices; one that differs from the
    // group's current choice acts as a click on it.
    IniFile& ini = link_.ini;
    ini.load();
    restorePlacement(*this, ini, ini::kRS);
    const auto com = ini.intValue(ini::kRS, ini::kSelectComPort);
    if (com && *com >= 0 && *com < 9 && *com != selectComPortIndex()) {
        setSelectComPortIndex(*com);
        selectComPortClick(*com);
    }
    const auto baud = ini.intValue(ini::kRS, ini::kBaudItem);
    if (baud && *baud >= 0 && *baud < 7 && *baud != baudIndex()) {
        setBaudIndex(*baud);
        BaudClick(*baud);
    }

    // Then the groups show the port as it is.
    SerialLink& port = link_.port;
    setSelectComPortIndex(port.comNumber() - 1);
    for (int i = 0; i < 7; ++i)
        if (kBauds[i] == port.baud())
            setBaudIndex(i);
}

void TFormSetup::FormClose()
{
    IniFile& ini = link_.ini;
    ini.load(); // keep what others wrote since (section "Dtrans")
    ini.setInt(ini::kRS, ini::kSelectComPort, selectComPortIndex());
    ini.setInt(ini::kRS, ini::kBaudItem, baudIndex());
    storePlacement(*this, ini, ini::kRS);
    ini.save();
}

void TFormSetup::done(int r)
{
    // the on-line read owns the line until it has ended
    if (busy_)
        return;
    guarded(ctx_.prompts, [this] { FormClose(); });
    QDialog::done(r);
}

void TFormSetup::reopen(const std::function<void()>& choose)
{
    link_.closePort();
    link_.loadDtrans();
    choose();
    link_.saveDtrans();
    QString why;
    if (!link_.openPort(&why))
        ctx_.prompts.error(why);
}

void TFormSetup::selectComPortClick(int index)
{
    if (index < 0 || index >= 9)
        return;
    reopen([&] {
        link_.dtrans.comNumber = index + 1;
    });
}

void TFormSetup::BaudClick(int index)
{
    if (index < 0 || index >= 7)
        return;
    reopen([&] {
        link_.dtrans.baud = kBauds[index];
    });
}

void TFormSetup::BitBtn1Click()
{
    if (busy_)
        return;
    busy_ = true;
    BitBtn1->setEnabled(false);
    OKBtn->setEnabled(false);
    CancelBtn->setEnabled(false);
    struct Done {
        TFormSetup* d;
        ~Done()
        {
            d->busy_ = false;
            d->BitBtn1->setEnabled(true);
            d->OKBtn->setEnabled(true);
            d->CancelBtn->setEnabled(true);
            d->LabelEdit1->setVisible(false);
            d->pbar->setVisible(false);
        }
    } done{this};

    OnlineHooks hooks;
    hooks.information = [this](const QString& t) { ctx_.prompts.information(t); };
    hooks.error = [this](const QString& t) { ctx_.prompts.error(t); };
    hooks.label = [this](const QString& t) { LabelEdit1->setText(t); };
    hooks.showProgress = [this](bool on) {
        LabelEdit1->setVisible(on);
        pbar->setVisible(on);
    };
    hooks.position = [this](int v) { pbar->setValue(v); };
    hooks.processEvents = [] { QApplication::processEvents(); };

    const OnlineResult r = toggleOnline(ctx_.protocol, hooks);
    BitBtn1->setText(onlineButtonCaption(OnlineMode));
    if ((r == OnlineResult::WentOffline || r == OnlineResult::Erased || r == OnlineResult::Received) && onStateText)
        onStateText(onlineStateText(OnlineMode));
}

} // namespace vkm
