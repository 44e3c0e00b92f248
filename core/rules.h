#pragma once
// Small rules that every editor and live dialog applies alike.

#include <QString>

#include <cstdint>
#include <optional>

namespace vkm {

// Lists holding a code show "Нет" (or "Все") first: a stored 255 chooses item
// 0, any other value v item v+1; -1 when the list has no such item.
int listIndexForCode(int32_t code, int itemCount);
// Item 0 stores 255, item i stores i-1.
int32_t codeForListIndex(int index);

// Decimal settings are scaled integers rounded to the nearest whole number,
// halves to the even neighbour: 0.125 x100 is 12, 0.375 x100 is 38.
int32_t roundHalfEven(double v);
// A decimal value in units of 1/factor, rounded half to even as the decimal
// number it stands for: 2.135 is 213.5 hundredths and stores 214, although
// the nearest double times 100 lies just below 213.5.
int32_t scaleDecimal(double value, int factor);

// A live reply word: 0..32768 stands for itself, 32769..65535 for w - 65536.
constexpr int SignedWord(uint16_t w) { return w > 32768 ? int(w) - 65536 : int(w); }

// Numbers are read and shown with the decimal separator of the user's locale
// (QLocale's default). A text that is not a number gives nullopt.
std::optional<double> parseDecimal(const QString& text);
std::optional<int> parseInteger(const QString& text);
// "%2.2f" with the locale's separator.
QString formatFixed2(double v);

// The texts of the error box for a number that does not convert.
QString notAnIntegerMessage(const QString& text);  // "'%s' is not a valid integer value"
QString notAFloatMessage(const QString& text);     // "'%s' is not a valid floating point value"

} // namespace vkm
