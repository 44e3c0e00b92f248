#pragma once
// Going on-line and off-line: the logic behind the settings dialog's
// "OnLine"/"OffLine" button, free of widgets. The dialog supplies the boxes
// and its label and progress bar through OnlineHooks.

#include <QString>

#include <functional>

namespace vkm {

class Protocol;

struct OnlineHooks {
    std::function<void(const QString&)> information; // an information box, OK
    std::function<void(const QString&)> error;       // an error box, OK
    std::function<void(const QString&)> label;       // the status label under the button
    std::function<void(bool)> showProgress;          // label and progress bar shown / hidden
    std::function<void(int)> position;               // progress, 8 x block
    std::function<void()> processEvents;             // let the windows run
};

enum class OnlineResult {
    WentOffline,  // was on-line: switched off, nothing sent
    NotConnected, // no answer to any probe: "Прибор не подключен!"
    ReadFailed,   // a block failed: "Ошибка чтения!", settings kept, off-line
    Erased,       // every image byte 0xFF: factory defaults, on-line
    Received,     // the controller's settings unpacked, on-line
};

inline constexpr int kOnlineProbes = 10;
// 2048 x 0xFF: the byte total of an erased EEPROM.
inline constexpr long kErasedImageSum = 2048L * 255;

inline QString onlineStateText(bool online)
{
    return online ? QStringLiteral("Состояние : On Line") : QStringLiteral("Состояние : Off Line");
}
inline QString onlineButtonCaption(bool online)
{
    return online ? QStringLiteral("OffLine") : QStringLiteral("OnLine");
}

// One press of the button. Going on-line: MathOn up to ten times until one is
// answered, then the 256 image blocks with their running total; an erased
// controller gets factory defaults, any other image is unpacked into
// Settings. Sets OnlineMode and ApplyCaption. A failed read leaves Settings
// as they were: a broken cable must not throw away unsaved work.
OnlineResult toggleOnline(Protocol& p, const OnlineHooks& hooks);

} // namespace vkm
