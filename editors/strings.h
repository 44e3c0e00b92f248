#pragma once
// The identification editor "Модуль/Идентификация": the seventeen passport
// texts of the crane and of its parameter recorder, each limited to its
// field's capacity in code page 1251 characters.

#include <QDialog>
#include <QValidator>

#include <array>

class QDate;
class QDateEdit;
class QLineEdit;
class QLocale;
class QPushButton;

namespace vkm {

struct AppContext;

// Day, month and four-digit year with the locale's date separator:
// "dd.MM.yyyy" for ru_RU, "dd/MM/yyyy" for en_US.
QString dateFormatFor(const QLocale& locale);

// Refuses any text with a character that code page 1251 cannot hold.
class Cp1251Validator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

class TFormStrings : public QDialog {
    Q_OBJECT
public:
    explicit TFormStrings(AppContext& ctx, QWidget* parent = nullptr);

    // The seventeen texts in the image.
    static constexpr int kOnlineFrom = 1538;
    static constexpr int kOnlineTo = 1898;

    void LOadAll();
    void SaveAll();

    void FormShow();
    void Button1Click(); // OK
    void Button3Click(); // Apply
    // The date field's button: the calendar "Выбор даты" (which 0 or 1).
    void DateButtonClick(int which);

    // The date a date field shows as holding none: a stored text that is no
    // date in the locale's format loads as this and is then stored back as
    // it was, unless the user sets a date.
    static QDate noDate();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void loadDate(int which);
    void saveDate(int which);

    AppContext& ctx_;
    std::array<QLineEdit*, 17> edits_{};  // Edit1..Edit17; 9 and 16 are the dates' hidden fields
    std::array<QDateEdit*, 2> dates_{};   // DateEdit1, DateEdit2
    QPushButton* apply_;
};

} // namespace vkm
