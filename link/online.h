#pragma once
// The on-line flag and the shared caption of every Apply button.

#include <QString>

namespace vkm {

extern bool OnlineMode;       // false at start-up; set only by the on-line button
extern QString ApplyCaption;  // "Применить", or "Применить On-Line" while on-line

inline QString applyCaptionOffline() { return QStringLiteral("Применить"); }
inline QString applyCaptionOnline() { return QStringLiteral("Применить On-Line"); }

} // namespace vkm
