#pragma once
// Code page 1251, the character set of the controller and of settings files.

#include <QByteArray>
#include <QString>

namespace vkm {

QString fromCp1251(const char* data, qsizetype n);
inline QString fromCp1251(const QByteArray& b) { return fromCp1251(b.constData(), b.size()); }

// True when every character of the text has a code page 1251 byte.
bool fitsCp1251(const QString& text);
// Characters without a byte in code page 1251 are left out; check with
// fitsCp1251 first where that matters.
QByteArray toCp1251(const QString& text);

} // namespace vkm
