#include "link/transfer.h"

#include "core/image.h"
#include "core/state.h"
#include "link/protocol.h"

#include <algorithm>

namespace vkm {

namespace {

constexpr int kBlockSize = 8;
constexpr int kLastBlock = static_cast<int>(kImageSize) / kBlockSize - 1; // 255

void say(const TransferProgress& p, const char* text)
{
    if (p.status)
        p.status(QLatin1String(text));
}

void at(const TransferProgress& p, int position)
{
    if (p.position)
        p.position(position);
}

TransferOutcome failure(Protocol& p, int block, const char* what)
{
    TransferOutcome o;
    o.failedBlock = block;
    o.detail = QStringLiteral("%1 block %2 (EEPROM 0x%3) failed after %4 attempts: %5")
                   .arg(QLatin1String(what))
                   .arg(block)
                   .arg(QString::number(block * kBlockSize, 16).toUpper())
                   .arg(Protocol::RetryCount)
                   .arg(p.lastFault());
    return o;
}

// MathOn after every write, once more when the first one failed.
void mathOn(Protocol& p)
{
    if (p.MathOn())
        p.MathOn();
}

} // namespace

TransferOutcome readImage(Protocol& p, ImageBuffer& received, const TransferProgress& progress, long* sum)
{
    say(progress, "Read data...");
    at(progress, 0);
    long total = 0;
    for (int b = 0; b <= kLastBlock; ++b) {
        if (progress.processEvents)
            progress.processEvents();
        at(progress, kBlockSize * b);
        if (p.ReadBlock(static_cast<uint32_t>(kBlockSize * b), kBlockSize, SpaceEeprom)) {
            say(progress, "Error read data!");
            if (sum)
                *sum = total;
            return failure(p, b, "reading");
        }
        for (int i = 0; i < kBlockSize; ++i) {
            received[kBlockSize * b + i] = p.ReplyBuffer[1 + i];
            total += p.ReplyBuffer[1 + i];
        }
    }
    if (sum)
        *sum = total;
    say(progress, "Read data Ok!");
    TransferOutcome o;
    o.ok = true;
    return o;
}

TransferOutcome writeImageBlocks(Protocol& p, const ImageBuffer& image, int first, int last,
                                 const TransferProgress& progress)
{
    // The image ends with block 255; a range past it would write beyond the
    // settings (and beyond the buffer for a large `to`).
    first = std::max(first, 0);
    last = std::min(last, kLastBlock);

    for (int i = 0; i < 3; ++i)
        p.MathOff();
    say(progress, "Write data...");
    at(progress, 0);
    for (int b = first; b <= last; ++b) {
        at(progress, kBlockSize * b);
        if (p.WriteBlock(static_cast<uint32_t>(kBlockSize * b), kBlockSize, SpaceEeprom,
                         image.data() + kBlockSize * b)) {
            TransferOutcome o = failure(p, b, "writing");
            mathOn(p);
            say(progress, "Error write data!");
            return o;
        }
    }
    mathOn(p);
    say(progress, "Write data Ok!");
    TransferOutcome o;
    o.ok = true;
    return o;
}

int WriteOnLine(Protocol& p, int from, int to, const TransferProgress& progress)
{
    PackImage(Settings, DeviceImage);
    const TransferOutcome o = writeImageBlocks(p, DeviceImage, from / 8, to / 8 + 1, progress);
    return o.ok ? 0 : 1;
}

} // namespace vkm
