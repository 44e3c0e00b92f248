#include "link/onlineconnect.h"

#include "core/defaults.h"
#include "core/image.h"
#include "core/state.h"
#include "link/infolog.h"
#include "link/online.h"
#include "link/protocol.h"
#include "link/transfer.h"

namespace vkm {
namespace {

template <typename F, typename... A>
void call(const F& f, A&&... args)
{
    if (f)
        f(std::forward<A>(args)...);
}

} // namespace

OnlineResult toggleOnline(Protocol& p, const OnlineHooks& hooks)
{
    ApplyCaption = applyCaptionOffline();
    if (OnlineMode) {
        OnlineMode = false;
        return OnlineResult::WentOffline;
    }

    bool answered = false;
    for (int probe = 0; probe < kOnlineProbes && !answered; ++probe)
        answered = !p.MathOn();
    if (!answered) {
        p.log().add(QStringLiteral("on-line: no reply to %1 MathOn probes").arg(kOnlineProbes));
        call(hooks.error, QStringLiteral("Прибор не подключен!"));
        return OnlineResult::NotConnected;
    }

    call(hooks.information,
         QStringLiteral("Прибор подключен в режиме OnLine!. Сейчас произойдет чтение настроек из прибора!"));
    call(hooks.label, QStringLiteral("Read data..."));
    call(hooks.position, 0);
    call(hooks.showProgress, true);

    TransferProgress progress;
    progress.position = hooks.position;
    progress.processEvents = hooks.processEvents;
    long sum = 0;
    const TransferOutcome out = readImage(p, ReceivedImage, progress, &sum);

    OnlineResult result;
    if (out.ok) {
        call(hooks.label, QStringLiteral("Read data Ok!"));
        call(hooks.processEvents);
        if (sum == kErasedImageSum) {
            call(hooks.information, QStringLiteral("Прибор не настроен!"));
            ResetDefaults(Settings);
            result = OnlineResult::Erased;
        } else {
            UnpackImage(ReceivedImage, Settings);
            call(hooks.information, QStringLiteral("Данные получены!"));
            result = OnlineResult::Received;
        }
        OnlineMode = true;
        ApplyCaption = applyCaptionOnline();
    } else {
        p.log().add(QStringLiteral("on-line read: %1").arg(out.detail));
        call(hooks.label, QStringLiteral("Error read data!"));
        call(hooks.processEvents);
        call(hooks.error, QStringLiteral("Ошибка чтения!"));
        result = OnlineResult::ReadFailed;
    }
    call(hooks.showProgress, false);
    return result;
}

} // namespace vkm
