#pragma once
// Moving the settings image to and from the controller's EEPROM in 8-byte
// blocks: read all, write all and the on-line write of a byte range. The
// dialogs and vkmtool call these; none of them builds a frame itself.

#include "core/settings.h"

#include <QObject>
#include <QString>

#include <functional>

namespace vkm {

class Protocol;

// What a transfer reports while it runs. Every member may be empty.
struct TransferProgress {
    std::function<void(const QString&)> status; // "Read data...", "Write data Ok!", ...
    std::function<void(int)> position;          // 8 x block
    std::function<void()> processEvents;        // between blocks where the UI must stay live
};

struct TransferOutcome {
    bool ok = false;
    int failedBlock = -1; // the block that failed after its attempts
    QString detail;       // "no reply to block 117 (EEPROM 0x3A8)" for logs and vkmtool
};

// Reads the 256 blocks of EEPROM space 3 into `received` (offsets 0..2047);
// stops at the first block that fails. Sends no MathOff/MathOn. `sum`, when
// given, receives the sum of every byte read.
TransferOutcome readImage(Protocol& p, ImageBuffer& received, const TransferProgress& progress,
                          long* sum = nullptr);

// MathOff three times, blocks first..last of `image`, then MathOn (once more
// if it failed), successful or not.
TransferOutcome writeImageBlocks(Protocol& p, const ImageBuffer& image, int first, int last,
                                 const TransferProgress& progress);

// The on-line write of an editor's range: packs Settings into DeviceImage and
// writes blocks from/8 .. to/8 + 1. Returns 0 when every block was written,
// 1 when one failed. Shows nothing; the caller shows the message.
int WriteOnLine(Protocol& p, int from, int to, const TransferProgress& progress = {});

} // namespace vkm
