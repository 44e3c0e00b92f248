#include "editors/strings.h"

#include "app/ui/buttonrow.h"
#include "app/ui/context.h"
#include "core/codepage.h"
#include "core/state.h"
#include "core/textfields.h"
#include "editors/editorkit.h"
#include "link/online.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vkm {
namespace {

// Field number (1..17) of the two date fields.
constexpr int kDateField[2] = {9, 16};

const char* const kLabels[17] = {
    "Тип и индекс",
    "Заводской номер",
    "Год изготовления",
    "Предприятие изготовитель",
    "Владелец крана",
    "Грузоподъемность крана, т",
    "Группа классификации",
    "Нормативный срок службы, лет",
    "Дата ввода в эскплуатацию",
    "Внесение изменений",
    "Тип и модификация",
    "Заводской номер",
    "Год изготовления",
    "Предприятие изготовитель",
    "Организация установщик",
    "Дата установки на кран",
    "Исполнение крана по виду грузозахватного органа и\nстрелового оборудования",
};

} // namespace

QString dateFormatFor(const QLocale& locale)
{
    QChar sep = QLatin1Char('.');
    for (QChar c : locale.dateFormat(QLocale::ShortFormat)) {
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\'')) {
            sep = c;
            break;
        }
    }
    return QStringLiteral("dd%1MM%1yyyy").arg(sep);
}

QValidator::State Cp1251Validator::validate(QString& input, int&) const
{
    return fitsCp1251(input) ? Acceptable : Invalid;
}

QDate TFormStrings::noDate() { return QDate(1000, 1, 1); }

TFormStrings::TFormStrings(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx)
{
    setObjectName(QStringLiteral("FormStrings"));
    setWindowTitle(QStringLiteral("Модуль/Идентификация"));

    auto* validator = new Cp1251Validator(this);
    auto* crane = new QGroupBox(QStringLiteral("Крана"), this);
    auto* recorder = new QGroupBox(QStringLiteral("Регистратора параметров"), this);
    auto* craneForm = new QFormLayout(crane);
    auto* recorderForm = new QFormLayout(recorder);

    for (int i = 0; i < 17; ++i) {
        auto* group = i < 10 ? crane : recorder;
        auto* form = i < 10 ? craneForm : recorderForm;
        auto* e = new QLineEdit(group);
        e->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
        e->setValidator(validator);
        e->setMaxLength(kTextFields[i].capacity);
        edits_[i] = e;
        const int which = i + 1 == kDateField[0] ? 0 : i + 1 == kDateField[1] ? 1 : -1;
        if (which < 0) {
            e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('W')) * std::min(kTextFields[i].capacity, 30) / 2);
            form->addRow(QString::fromUtf8(kLabels[i]), e);
            continue;
        }
        // The date field, backed by the hidden text field of the stored text.
        e->hide();
        auto* d = new QDateEdit(group);
        d->setObjectName(QStringLiteral("DateEdit%1").arg(which + 1));
        d->setMinimumDate(noDate());
        dates_[which] = d;
        auto* button = new QToolButton(group);
        button->setObjectName(QStringLiteral("DateButton%1").arg(which + 1));
        button->setText(QStringLiteral("..."));
        button->setToolTip(QStringLiteral("Выбор даты"));
        connect(button, &QToolButton::clicked, this, [this, which] { DateButtonClick(which); });
        auto* row = new QHBoxLayout;
        row->addWidget(d, 1);
        row->addWidget(button);
        form->addRow(QString::fromUtf8(kLabels[i]), row);
    }

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("Button2"));
    apply_ = new QPushButton(ApplyCaption, this);
    apply_->setObjectName(QStringLiteral("Button3"));

    auto* groups = new QHBoxLayout;
    groups->addWidget(crane, 1);
    groups->addWidget(recorder, 1);
    auto* buttons = buttonRow({ok, cancel, apply_});
    auto* top = new QVBoxLayout(this);
    top->addLayout(groups);
    top->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &TFormStrings::Button1Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(apply_, &QPushButton::clicked, this, &TFormStrings::Button3Click);
}

void TFormStrings::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TFormStrings::FormShow()
{
    for (int i = 0; i < 17; ++i)
        edits_[i]->setMaxLength(kTextFields[i].capacity);
    const QString format = dateFormatFor(QLocale());
    for (auto* d : dates_)
        d->setDisplayFormat(format);
    LOadAll();
    apply_->setText(ApplyCaption);
}

void TFormStrings::LOadAll()
{
    for (int i = 0; i < 17; ++i) {
        const TextView t = textAt(Settings, kTextFields[i]);
        edits_[i]->setText(fromCp1251(reinterpret_cast<const char*>(t.chars()), t.length()));
    }
    loadDate(0);
    loadDate(1);
}

void TFormStrings::loadDate(int which)
{
    QDateEdit* d = dates_[which];
    const QString text = edits_[kDateField[which] - 1]->text();
    const QDate date = QDate::fromString(text, dateFormatFor(QLocale()));
    // A text that is no date shows as itself and stays as it is.
    d->setSpecialValueText(text.isEmpty() ? QStringLiteral(" ") : text);
    d->setDate(date.isValid() && date > noDate() ? date : noDate());
}

void TFormStrings::saveDate(int which)
{
    const QDateEdit* d = dates_[which];
    if (d->date() > noDate())
        edits_[kDateField[which] - 1]->setText(d->date().toString(dateFormatFor(QLocale())));
}

void TFormStrings::SaveAll()
{
    saveDate(0);
    saveDate(1);
    for (int i = 0; i < 17; ++i) {
        const QByteArray b = toCp1251(edits_[i]->text());
        setTextBytes(Settings, kTextFields[i], reinterpret_cast<const uint8_t*>(b.constData()), int(b.size()));
    }
}

void TFormStrings::DateButtonClick(int which)
{
    QDateEdit* field = dates_[which];
    QDialog picker(this);
    picker.setObjectName(QStringLiteral("DatePicker"));
    picker.setWindowTitle(QStringLiteral("Выбор даты"));
    auto* calendar = new QCalendarWidget(&picker);
    calendar->setObjectName(QStringLiteral("Calendar"));
    calendar->setSelectedDate(field->date() > noDate() ? field->date() : QDate::currentDate());
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &picker);
    connect(box, &QDialogButtonBox::accepted, &picker, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, &picker, &QDialog::reject);
    connect(calendar, &QCalendarWidget::activated, &picker, &QDialog::accept);
    auto* layout = new QVBoxLayout(&picker);
    layout->addWidget(calendar);
    layout->addWidget(box);
    if (picker.exec() == QDialog::Accepted)
        field->setDate(calendar->selectedDate());
}

void TFormStrings::Button1Click()
{
    SaveAll();
    accept();
}

void TFormStrings::Button3Click()
{
    SaveAll();
    applyOnLine(ctx_, kOnlineFrom, kOnlineTo);
}

} // namespace vkm
