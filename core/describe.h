#pragma once

#include "settings.h"

#include <QStringList>

namespace vkm {

// Every field of the record by name, one value a line, in block order:
// Name=value, Name[slot]=value, Name[row][entry]=value,
// CurvePoints[curve][point]=x,y, texts as Name="..." (control characters,
// quotes and backslashes escaped) and the unnamed bytes in hexadecimal. Two
// records compare field by field with diff.
QStringList describeSettings(const SettingsRecord& r);

} // namespace vkm
