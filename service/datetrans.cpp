#include "service/datetrans.h"

#include "app/ui/context.h"
#include "app/ui/guard.h"
#include "core/files.h"
#include "core/rules.h"
#include "link/infolog.h"
#include "link/protocol.h"
#include "link/session.h"
#include "service/terminaltext.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEventLoop>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QShowEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <climits>
#include <stdexcept>

namespace vkm {

namespace {

template <class W>
W* named(W* w, const char* name)
{
    w->setObjectName(QLatin1String(name));
    return w;
}

QSpinBox* wholeField(const char* name)
{
    auto* s = named(new QSpinBox, name);
    s->setRange(INT_MIN, INT_MAX);
    return s;
}

double decimalField(const QLineEdit* e)
{
    const auto v = parseDecimal(e->text());
    if (!v)
        throw std::runtime_error(notAFloatMessage(e->text()).toStdString());
    return *v;
}

// Clears a flag when the operation ends, also when it throws.
struct FlagGuard {
    bool& flag;
    explicit FlagGuard(bool& f) : flag(f) { flag = true; }
    ~FlagGuard() { flag = false; }
};

} // namespace

TDateTrans::TDateTrans(AppContext& ctx, LinkSession& session, QWidget* parent)
    : QDialog(parent), ctx_(ctx), session_(session)
{
    setObjectName(QStringLiteral("DateTrans"));
    setWindowTitle(QStringLiteral("Настройка ВКМ"));

    PageControl1 = named(new QTabWidget, "PageControl1");

    // Page "Работа с байтом"
    auto* page1 = named(new QWidget, "TabSheet1");
    {
        auto* write = new QGroupBox(QStringLiteral("Запись"));
        auto* wf = new QFormLayout(write);
        SetAdrBtn = named(new QPushButton(QStringLiteral("Записать")), "SetAdrBtn");
        AdrOut = named(new QLineEdit(QStringLiteral("$1008")), "AdrOut");
        ByteOut = named(new QLineEdit(QStringLiteral("0301")), "ByteOut");
        ByteOutBin = named(new QLineEdit, "ByteOutBin");
        ByteOutBin->setReadOnly(true);
        wf->addRow(SetAdrBtn);
        wf->addRow(QStringLiteral("Адрес"), AdrOut);
        wf->addRow(QStringLiteral("Байт (hex)"), ByteOut);
        wf->addRow(QStringLiteral("Байт (bin)"), ByteOutBin);

        auto* read = new QGroupBox(QStringLiteral("Чтение"));
        auto* rf = new QFormLayout(read);
        SpeedButton4 = named(new QPushButton(QStringLiteral("Прочитать")), "SpeedButton4");
        AdrIn = named(new QLineEdit(QStringLiteral("$1022")), "AdrIn");
        ByteIn = named(new QLineEdit, "ByteIn");
        ByteInBin = named(new QLineEdit, "ByteInBin");
        ByteInBin->setReadOnly(true);
        rf->addRow(SpeedButton4);
        rf->addRow(QStringLiteral("Адрес"), AdrIn);
        rf->addRow(QStringLiteral("Байт (hex)"), ByteIn);
        rf->addRow(QStringLiteral("Байт (bin)"), ByteInBin);

        auto* spaces = named(new QGroupBox(QStringLiteral("Память")), "RadioGroupBox");
        auto* sg = new QGridLayout(spaces);
        RadioGroup1 = new QButtonGroup(this);
        RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
        const char* names[] = {"Data", "Code", "Memory", "EEPROM", "ACP"};
        for (int i = 0; i < 5; ++i) {
            auto* b = new QRadioButton(QLatin1String(names[i]));
            b->setObjectName(QStringLiteral("Space%1").arg(i));
            RadioGroup1->addButton(b, i);
            sg->addWidget(b, i % 2, i / 2); // three columns
        }
        RadioGroup1->button(SpaceMemory)->setChecked(true);

        auto* l = new QGridLayout(page1);
        l->addWidget(write, 0, 0);
        l->addWidget(read, 0, 1);
        l->addWidget(spaces, 1, 0, 1, 2);
    }
    PageControl1->addTab(page1, QStringLiteral("Работа с байтом"));

    // Page "Пульт"
    auto* page2 = named(new QWidget, "TabSheet2");
    {
        PanelWeight = named(new QLineEdit(QStringLiteral("0")), "PanelWeight");
        PanelReach = named(new QLineEdit(QStringLiteral("0")), "PanelReach");
        PanelSumWeight = named(new QLineEdit(QStringLiteral("0")), "PanelSumWeight");
        PanelTare = named(new QLineEdit(QStringLiteral("0")), "PanelTare");
        PanelTare->setReadOnly(true); // shows the controller's reply
        PanelMinute = wholeField("PanelMinute");
        PanelHour = wholeField("PanelHour");
        PanelDay = wholeField("PanelDay");
        PanelMonth = wholeField("PanelMonth");
        PanelYear = wholeField("PanelYear");
        PanelHoursRun = wholeField("PanelHoursRun");
        PanelTonsRun = wholeField("PanelTonsRun");
        PanelAlarm = wholeField("PanelAlarm");
        CheckCycle = named(new QCheckBox(QStringLiteral("Цикл")), "CheckCycle");
        BitBtn1 = named(new QPushButton(QStringLiteral("Start")), "BitBtn1");

        auto* left = new QFormLayout;
        left->addRow(QStringLiteral("Вес"), PanelWeight);
        left->addRow(QStringLiteral("Вылет"), PanelReach);
        left->addRow(QStringLiteral("Сумм вес"), PanelSumWeight);
        left->addRow(QStringLiteral("Тара"), PanelTare);
        left->addRow(QStringLiteral("Наработка Ч"), PanelHoursRun);
        left->addRow(QStringLiteral("Наработка Т"), PanelTonsRun);
        auto* right = new QFormLayout;
        right->addRow(QStringLiteral("Минута"), PanelMinute);
        right->addRow(QStringLiteral("Час"), PanelHour);
        right->addRow(QStringLiteral("День"), PanelDay);
        right->addRow(QStringLiteral("Месяц"), PanelMonth);
        right->addRow(QStringLiteral("Год"), PanelYear);
        right->addRow(QStringLiteral("Авария"), PanelAlarm);
        auto* buttons = new QVBoxLayout;
        buttons->addWidget(CheckCycle);
        buttons->addWidget(BitBtn1);
        buttons->addStretch();
        auto* l = new QHBoxLayout(page2);
        l->addLayout(left);
        l->addLayout(right);
        l->addLayout(buttons);
        l->setAlignment(left, Qt::AlignTop);
        l->setAlignment(right, Qt::AlignTop);
    }
    PageControl1->addTab(page2, QStringLiteral("Пульт"));

    // Page "Тест"
    auto* page3 = named(new QWidget, "TabSheet3");
    {
        BitBtn2 = named(new QPushButton(QStringLiteral("Выкл. матем.")), "BitBtn2");
        BitBtn4 = named(new QPushButton(QStringLiteral("Вкл. матем.")), "BitBtn4");
        auto* row = new QHBoxLayout;
        row->addWidget(BitBtn2);
        row->addWidget(BitBtn4);
        row->addStretch();
        auto* l = new QVBoxLayout(page3);
        l->addLayout(row);
        l->addStretch();
    }
    PageControl1->addTab(page3, QStringLiteral("Тест"));

    Memo2 = named(new QPlainTextEdit, "Memo2");
    Memo3 = named(new QPlainTextEdit, "Memo3");
    Memo1 = named(new QPlainTextEdit, "Memo1");
    Memo1->setReadOnly(true);
    auto* panes = new QGridLayout;
    panes->addWidget(new QLabel(QStringLiteral("Передача")), 0, 0);
    panes->addWidget(new QLabel(QStringLiteral("Приём")), 0, 1);
    panes->addWidget(new QLabel(QStringLiteral("Информация")), 0, 2);
    panes->addWidget(Memo2, 1, 0);
    panes->addWidget(Memo3, 1, 1);
    panes->addWidget(Memo1, 1, 2);

    TimeWait = named(new QSpinBox, "TimeWait");
    TimeWait->setRange(0, 1000000);
    TimeWait->setValue(10);
    AdrConEdit = named(new QSpinBox, "AdrConEdit");
    AdrConEdit->setRange(0, 255);
    AdrConEdit->setValue(1);
    AdrConEdit->setVisible(false); // "Adr:" is never shown
    ExitButton = named(new QPushButton(QStringLiteral("Выход")), "ExitButton");
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("TimeWait")));
    bar->addWidget(TimeWait);
    bar->addWidget(AdrConEdit);
    bar->addStretch();
    bar->addWidget(ExitButton);

    auto* status = named(new QStatusBar, "StatusBar1");
    status->showMessage(QStringLiteral("Терминальная программа для ВКМ"));
    status->setSizeGripEnabled(false);

    auto* main = new QVBoxLayout(this);
    main->addWidget(PageControl1);
    main->addLayout(panes, 1);
    main->addLayout(bar);
    main->addWidget(status);
    resize(720, 520);

    // Enter in a field sends nothing: a write or a panel frame goes out
    // only when its own button is clicked.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);

    connect(SetAdrBtn, &QPushButton::clicked, this, &TDateTrans::SetAdrBtnClick);
    connect(SpeedButton4, &QPushButton::clicked, this, &TDateTrans::SpeedButton4Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TDateTrans::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TDateTrans::BitBtn2Click);
    connect(BitBtn4, &QPushButton::clicked, this, &TDateTrans::BitBtn4Click);
    connect(ByteOut, &QLineEdit::textChanged, this, &TDateTrans::ByteOutChange);
    connect(ByteIn, &QLineEdit::textChanged, this, &TDateTrans::ByteInChange);
    connect(AdrConEdit, &QSpinBox::valueChanged, this, &TDateTrans::AdrConEditChange);
    connect(&session_.log, &InfoLog::changed, this, &TDateTrans::Memo1Change);
    connect(ExitButton, &QPushButton::clicked, this, &TDateTrans::close);

    ByteOutChange();
    loadFields();
}

void TDateTrans::loadFields()
{
    const DtransValues& d = session_.dtrans;
    TimeWait->setValue(d.timeWait);
    AdrOut->setText(d.adrOut);
    AdrIn->setText(d.adrIn);
    ByteIn->setText(d.byteIn);
    ByteOut->setText(d.byteOut);
    if (panelRunning_) {
        // The cycle keeps the panel address (also against the section just
        // read into the protocol); it puts this one back at its end.
        addressFound_ = d.linkAddress;
    } else {
        AdrConEdit->setValue(d.linkAddress);
    }
    AdrConEditChange(); // also when the value did not change
    for (int i = 0; i < PageControl1->count(); ++i)
        if (PageControl1->widget(i)->objectName() == d.activePage)
            PageControl1->setCurrentIndex(i);
}

void TDateTrans::storeFields()
{
    DtransValues& d = session_.dtrans;
    d.timeWait = TimeWait->value();
    d.adrOut = AdrOut->text().trimmed();
    d.adrIn = AdrIn->text().trimmed();
    d.byteIn = ByteIn->text().trimmed();
    d.byteOut = ByteOut->text().trimmed();
    // A running panel cycle holds "Adr:" at the panel address for a while;
    // what is remembered is the address it will put back.
    d.linkAddress = panelRunning_ ? addressFound_ : AdrConEdit->value();
    d.activePage = PageControl1->currentWidget()->objectName();
}

void TDateTrans::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (e->spontaneous())
        return;
    guarded(ctx_.prompts, [this] {
        QString why;
        const bool ok = session_.loadDtrans(&why);
        loadFields();
        if (!ok)
            throw FileError(why);
    });
    if (logDirty_)
        Memo1Change();
}

void TDateTrans::done(int r)
{
    storeFields();
    guarded(ctx_.prompts, [this] { session_.saveDtrans(); });
    QDialog::done(r);
}

uint8_t TDateTrans::memorySpace() const
{
    const int id = RadioGroup1->checkedId();
    return static_cast<uint8_t>(id < 0 ? SpaceMemory : id);
}

void TDateTrans::byteOperation(const std::function<void()>& body)
{
    // A running panel cycle holds LinkAddress at the panel's address: a
    // read or write now would go to the panel, not to the controller.
    if (terminalBusy_ || panelRunning_)
        return;
    FlagGuard busy(terminalBusy_);
    guarded(ctx_.prompts, body);
}

void TDateTrans::SetAdrBtnClick()
{
    byteOperation([this] {
        const uint32_t value = terminalValue(ByteOut->text());
        const uint32_t address = terminalAddress(AdrOut->text());
        // The outcome shows only in the log.
        ctx_.protocol.WriteByte(address, static_cast<uint16_t>(value), memorySpace());
    });
}

void TDateTrans::SpeedButton4Click()
{
    byteOperation([this] {
        const uint32_t address = terminalAddress(AdrIn->text());
        uint16_t word = 0;
        const bool failed = ctx_.protocol.ReadWord(address, memorySpace(), word);
        ByteIn->setText(failed ? QStringLiteral("Error") : terminalWordText(word));
    });
}

void TDateTrans::readFunction(uint8_t space)
{
    byteOperation([this, space] {
        uint16_t word = 0;
        const bool failed = ctx_.protocol.ReadWord(0, space, word);
        ByteIn->setText(failed ? QStringLiteral("Error") : terminalWordText(word));
    });
}

void TDateTrans::BitBtn2Click() { readFunction(SpaceMathOff); }
void TDateTrans::BitBtn4Click() { readFunction(SpaceMathOn); }

void TDateTrans::ByteOutChange()
{
    if (!ByteOut->text().isEmpty())
        ByteOutBin->setText(HexToBinaryText(ByteOut->text()));
}

void TDateTrans::ByteInChange()
{
    ByteInBin->setText(HexToBinaryText(ByteIn->text()));
}

void TDateTrans::AdrConEditChange()
{
    ctx_.protocol.LinkAddress = static_cast<uint8_t>(AdrConEdit->value());
}

void TDateTrans::Memo1Change()
{
    // The log empties itself past 100 lines; the view follows it. While the
    // window is hidden the view is brought up to date when it is shown.
    if (!isVisible()) {
        logDirty_ = true;
        return;
    }
    // The log only grows by one line or empties itself.
    const QStringList& lines = session_.log.lines();
    if (!logDirty_ && shownLines_ > 0 && lines.size() == shownLines_ + 1)
        Memo1->appendPlainText(lines.back());
    else
        Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    shownLines_ = int(lines.size());
    logDirty_ = false;
}

PanelValues TDateTrans::panelValues() const
{
    PanelValues v;
    v.weight = decimalField(PanelWeight);
    v.reach = decimalField(PanelReach);
    v.sumWeight = decimalField(PanelSumWeight);
    v.minute = PanelMinute->value();
    v.hour = PanelHour->value();
    v.day = PanelDay->value();
    v.month = PanelMonth->value();
    v.year = PanelYear->value();
    v.hoursRun = PanelHoursRun->value();
    v.tonsRun = PanelTonsRun->value();
    v.alarm = PanelAlarm->value();
    return v;
}

void TDateTrans::BitBtn1Click()
{
    // One cycle at a time: a second "Start" while it runs starts nothing.
    // Nor does a "Start" while another request waits for its reply: its
    // next attempt would go to the panel address.
    if (panelRunning_ || ctx_.protocol.busy())
        return;
    FlagGuard running(panelRunning_);
    // The panel frame goes to address 2; the address found is put back
    // afterwards, whatever it was (0 included).
    addressFound_ = AdrConEdit->value();
    AdrConEdit->setValue(kPanelAddress);
    AdrConEditChange();
    guarded(ctx_.prompts, [this] {
        do {
            const PanelFrame frame = panelFrameBytes(panelValues());
            const PanelOutcome out = exchangePanel(ctx_.protocol, frame);
            PanelTare->setText(formatFixed2(out.tare / 100.0));
            QEventLoop pause;
            QTimer::singleShot(kPanelPauseMs, &pause, &QEventLoop::quit);
            pause.exec();
            // The fields are read again on the next pass. A terminal hidden
            // meanwhile ends its cycle here, so nothing hidden keeps sending
            // to the panel address.
        } while (CheckCycle->isChecked() && isVisible());
    });
    AdrConEdit->setValue(addressFound_);
    AdrConEditChange();
}

} // namespace vkm
