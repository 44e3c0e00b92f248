#include "editors/editorkit.h"

#include "core/rules.h"
#include "core/settings.h"
#include "link/online.h"

#include <QComboBox>

namespace vkm {

QStringList parameterItems(int codes)
{
    QStringList items{QStringLiteral("Нет")};
    for (int c = 0; c < codes && c < 40; ++c) {
        if (c < 8)
            items << QStringLiteral("Канал-%1").arg(c + 1);
        else if (c < 24)
            items << QStringLiteral("Формула %1").arg(c - 7);
        else if (c < 32)
            items << QStringLiteral("Переключение %1").arg(c - 23);
        else
            items << QStringLiteral("Характеристика %1").arg(c - 31);
    }
    return items;
}

QStringList relayItems()
{
    QStringList items{QStringLiteral("Нет")};
    for (int r = 1; r <= 16; ++r)
        items << QStringLiteral("K-%1").arg(r);
    return items;
}

QComboBox* makeList(QWidget* parent, const QString& objectName, const QStringList& items,
                    const QString& placeholder)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(objectName);
    box->addItems(items);
    box->setPlaceholderText(placeholder);
    box->setMaxVisibleItems(20);
    box->setCurrentIndex(-1);
    return box;
}

void loadCodeList(QComboBox* box, int32_t code)
{
    box->setCurrentIndex(listIndexForCode(code, box->count()));
}

int32_t saveCodeList(const QComboBox* box)
{
    const int i = box->currentIndex();
    return i <= 0 ? kNone : codeForListIndex(i);
}

void applyOnLine(AppContext& ctx, int from, int to)
{
    if (!OnlineMode)
        return;
    if (ctx.writeOnLine(from, to) == 0)
        ctx.prompts.information(kWrittenText);
    else
        ctx.prompts.error(kWriteErrorText);
}

} // namespace vkm
