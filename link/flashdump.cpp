#include "link/flashdump.h"

#include "core/files.h"
#include "link/protocol.h"

#include <QDir>
#include <QFile>

namespace vkm {

SectorSet allSectors()
{
    SectorSet s;
    s.fill(true);
    return s;
}

QString sectorFileName(int sector)
{
    return QStringLiteral("sector%1.bin").arg(sector);
}

QString flashAttemptText(uint32_t address, int retries)
{
    return QString::asprintf("Add : 0x%5Xh   Error count : %1d", unsigned(address), retries);
}

std::optional<SectorSet> parseSectorList(const QString& text, QString* why)
{
    const auto fail = [&](const QString& reason) -> std::optional<SectorSet> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    const auto sectorNumber = [](const QString& s) -> int {
        bool ok = false;
        const int n = s.trimmed().toInt(&ok, 10);
        return ok && n >= 1 && n <= kFlashSectors ? n : 0;
    };
    SectorSet set{};
    if (text.trimmed().isEmpty())
        return fail(QStringLiteral("empty sector list"));
    for (const QString& part : text.split(QLatin1Char(','))) {
        const int dash = part.indexOf(QLatin1Char('-'));
        const int from = sectorNumber(dash < 0 ? part : part.left(dash));
        const int to = dash < 0 ? from : sectorNumber(part.mid(dash + 1));
        if (!from || !to || from > to)
            return fail(QStringLiteral("'%1' is not a sector or range of sectors 1..14").arg(part.trimmed()));
        for (int n = from; n <= to; ++n)
            set[n - 1] = true;
    }
    return set;
}

FlashDumpOutcome dumpFlash(Protocol& p, const SectorSet& sectors, const QString& dir,
                           const FlashDumpProgress& progress)
{
    const auto pump = [&] { if (progress.processEvents) progress.processEvents(); };
    FlashDumpOutcome out;
    if (progress.status)
        progress.status(QStringLiteral("Read data..."));
    if (progress.position)
        progress.position(0);

    for (int n = 1; n <= kFlashSectors; ++n) {
        if (!sectors[n - 1])
            continue;
        pump();
        if (progress.status)
            progress.status(QStringLiteral("Read sector %1 from 14...").arg(n));
        out.sector = n;

        QFile file(QDir(dir).filePath(sectorFileName(n)));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw FileError(QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));

        for (int k = 0; k < kFlashBlocks; ++k) {
            pump();
            if (progress.position)
                progress.position(k);
            const uint32_t address = flashBlockAddress(n, k);
            bool failed = true;
            for (int attempt = 0; attempt < kFlashAttempts && failed; ++attempt) {
                if (attempt > 0)
                    ++out.retries;
                failed = p.ReadBlock(address, kFlashBlockSize, SpaceMemory);
                if (progress.attempt)
                    progress.attempt(address, out.retries);
                pump();
            }
            out.block = k;
            if (failed) {
                out.result = FlashDumpOutcome::Failed;
                out.detail = QStringLiteral("no reply to block %1 of sector %2 (0x%3) after %4 attempts: %5")
                                 .arg(k).arg(n).arg(QString::number(address, 16).toUpper()).arg(kFlashAttempts)
                                 .arg(p.lastFault());
                return out;
            }
            const char* data = reinterpret_cast<const char*>(p.ReplyBuffer.data() + 1);
            if (file.write(data, kFlashBlockSize) != kFlashBlockSize || !file.flush())
                throw FileError(QStringLiteral("%1: %2").arg(file.fileName(), file.errorString()));
            if (progress.stopRequested && progress.stopRequested()) {
                out.result = FlashDumpOutcome::Stopped;
                out.detail = QStringLiteral("stopped after block %1 of sector %2").arg(k).arg(n);
                return out;
            }
        }
    }
    out.result = FlashDumpOutcome::Ok;
    out.block = -1;
    return out;
}

} // namespace vkm
