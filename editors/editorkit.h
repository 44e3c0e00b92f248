#pragma once
// What the relay, switch, switch point, display, identification and curve
// editors share: the parameter lists, the list rule on a drop-down list and
// the on-line step of Apply.

#include "app/ui/context.h"

#include <QStringList>

#include <cstdint>

class QComboBox;
class QWidget;

namespace vkm {

// "Нет" followed by the first `codes` parameters in code order: "Канал-1" to
// "Канал-8", "Формула 1" to "Формула 16", "Переключение 1" to
// "Переключение 8", "Характеристика 1" to "Характеристика 8" (codes 0..39).
QStringList parameterItems(int codes = 40);
// "Нет", "K-1" to "K-16".
QStringList relayItems();

// A drop-down list that shows `placeholder` while no item is chosen.
QComboBox* makeList(QWidget* parent, const QString& objectName, const QStringList& items,
                    const QString& placeholder = QStringLiteral("Выбрать"));

// A stored code into a list: 255 chooses "Нет", v chooses item v+1, a value
// with no item leaves the list with none chosen.
void loadCodeList(QComboBox* box, int32_t code);
// "Нет" or no item stores 255, item i stores i-1.
int32_t saveCodeList(const QComboBox* box);

// The on-line step of every Apply: while on-line, writes the editor's range
// and reports the outcome; off-line it does nothing.
void applyOnLine(AppContext& ctx, int from, int to);

inline const QString kWrittenText = QStringLiteral("Данные записаны в контроллер!");
inline const QString kWriteErrorText = QStringLiteral("Ошибка записи данных!");

} // namespace vkm
