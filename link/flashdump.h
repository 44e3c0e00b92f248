#pragma once
// Copying the controller's program memory to files: sectors 1..14 of memory
// space 2, 64 KB each, read in 128-byte blocks with five attempts a block,
// one file "sectorN.bin" a sector. The dump dialog and vkmtool both run this
// loop; it touches no widget.

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace vkm {

class Protocol;

inline constexpr int kFlashSectors = 14;
inline constexpr uint32_t kFlashSectorSize = 0x10000;
inline constexpr int kFlashBlockSize = 128;
inline constexpr int kFlashBlocks = kFlashSectorSize / kFlashBlockSize; // 512
inline constexpr int kFlashAttempts = 5;

// Sectors 1..14 to read; index n-1 is sector n.
using SectorSet = std::array<bool, kFlashSectors>;
SectorSet allSectors();

// "sector1.bin" .. "sector14.bin".
QString sectorFileName(int sector);
// Address of block k of sector n.
constexpr uint32_t flashBlockAddress(int sector, int block)
{
    return uint32_t(sector) * kFlashSectorSize + uint32_t(block) * kFlashBlockSize;
}
// The dialog's Label1 after an attempt: "Add : 0x10080h   Error count : 0".
QString flashAttemptText(uint32_t address, int retries);
// "1-3,7" -> sectors 1, 2, 3 and 7; nullopt (with the reason) for anything
// that is not a list of sectors 1..14.
std::optional<SectorSet> parseSectorList(const QString& text, QString* why = nullptr);

// What the dump reports while it runs. Every member may be empty.
struct FlashDumpProgress {
    std::function<void(const QString&)> status;                // "Read sector 2 from 14..."
    std::function<void(int)> position;                         // block 0..511 in the sector
    std::function<void(uint32_t address, int retries)> attempt; // after every attempt
    std::function<void()> processEvents;                       // where the windows must stay live
    std::function<bool()> stopRequested;                       // looked at after every block
};

struct FlashDumpOutcome {
    enum Result { Ok, Failed, Stopped } result = Ok;
    int retries = 0;       // extra attempts, all sectors together
    int sector = 0;        // the sector being read when it ended (failed or stopped)
    int block = -1;        // the block that failed, or the last one read when stopped
    QString detail;        // "no reply to block 0 of sector 3 (0x30000) after 5 attempts"
};

// Reads the chosen sectors, in order, into `dir`/sectorN.bin. Each file is
// created empty when its sector begins and gets every block as it arrives,
// so a failed or stopped dump leaves the blocks read so far. Throws FileError
// when a file cannot be created or written.
FlashDumpOutcome dumpFlash(Protocol& p, const SectorSet& sectors, const QString& dir,
                           const FlashDumpProgress& progress = {});

} // namespace vkm
