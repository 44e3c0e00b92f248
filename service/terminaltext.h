#pragma once
// The service terminal's text rules: what its address and value fields are
// reduced to before use, how they convert, and how words are shown.

#include <QString>

#include <cstdint>

namespace vkm {

// Keeps only "$", "0".."9", "A".."F" and "a".."f", in their order.
QString filterHexText(const QString& text);

// A filtered address: hexadecimal after a leading "$", decimal otherwise
// ("$1008" is 4104, "0x1008" filters to "01008" and is 1008). Throws
// std::runtime_error with "'%s' is not a valid integer value" when it does
// not convert.
uint32_t terminalAddress(const QString& text);
// A value text always counts as hexadecimal: "0301" is 769, "1FF" is 511.
// An empty text leaves "$", which does not convert.
uint32_t terminalValue(const QString& text);

// Each hexadecimal digit as four binary digits and a blank; every other
// character gives nothing. "0301" -> "0000 0011 0000 0001 ".
QString HexToBinaryText(const QString& text);

// A word read, as the read side shows it: "0301  (769)".
QString terminalWordText(uint16_t word);

} // namespace vkm
