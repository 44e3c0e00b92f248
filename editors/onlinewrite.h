#pragma once
// The on-line part of an Apply: write the editor's byte range of the image
// and tell the user how it went. A dialog with live readings may be in the
// middle of a tick when its Apply is pressed (the protocol keeps the window
// alive while it waits for a reply), so the write is handed to the protocol
// to run once the current request has ended: the frames never interleave on
// the line and nothing waits for anything.

#include "app/ui/context.h"
#include "app/ui/guard.h"
#include "link/protocol.h"

namespace vkm {

inline QString writtenMessage() { return QStringLiteral("Данные записаны в контроллер!"); }
inline QString writeFailedMessage() { return QStringLiteral("Ошибка записи данных!"); }

// WriteOnLine(from, to) as soon as the line is idle (at once when it is),
// then "Данные записаны в контроллер!" or "Ошибка записи данных!". A port
// failure is shown in the general error box.
inline void writeOnLineWhenIdle(AppContext& ctx, int from, int to)
{
    AppContext* c = &ctx; // the context lives as long as the application
    ctx.protocol.whenIdle([c, from, to] {
        guarded(c->prompts, [c, from, to] {
            if (c->writeOnLine(from, to) == 0)
                c->prompts.information(writtenMessage());
            else
                c->prompts.error(writeFailedMessage());
        });
    });
}

} // namespace vkm
