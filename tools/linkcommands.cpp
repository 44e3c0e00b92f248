#include "linkcommands.h"

#include "filecommands.h"
#include "toolerror.h"

#include "core/image.h"
#include "core/files.h"
#include "core/settings.h"
#include "link/flashdump.h"
#include "link/infolog.h"
#include "link/protocol.h"
#include "link/qserial.h"
#include "link/setspeed.h"
#include "link/transfer.h"

#include <cstdio>
#include <memory>

namespace vkmtool {

using namespace vkm;

const char* kLinkUsage =
    "Controller commands (options before the command; numbers decimal or 0x-hex):\n"
    "  --port DEVICE [--baud N] [--address A] COMMAND ...\n"
    "      --port      the serial device (required), e.g. /dev/ttyUSB0\n"
    "      --baud      line speed (9600)\n"
    "      --address   controller address byte, 0 for none (1)\n"
    "  read-image OUT               read the 2048-byte EEPROM image into OUT\n"
    "  read BASE OUT                read the controller's settings over BASE into OUT\n"
    "  write SETTINGS [--verify]    write SETTINGS to the controller; --verify reads it back\n"
    "  peek ADDR SPACE              print the word at ADDR of memory space SPACE\n"
    "  poke ADDR VALUE SPACE        write the byte VALUE at ADDR of memory space SPACE\n"
    "  dump-flash [--sectors LIST] [--dir DIR]\n"
    "                               read flash sectors (LIST like 1-3,7; all 14) into\n"
    "                               DIR/sector1.bin .. sector14.bin (DIR: .)\n"
    "  set-speed BAUD               tell the controller to use BAUD (4800, 9600, 14400,\n"
    "                               19200, 38400, 57600); the port keeps --baud\n";

uint32_t parseNumber(const QString& text, uint32_t lo, uint32_t hi, const char* what)
{
    bool ok = false;
    qulonglong v = 0;
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = text.mid(2).toULongLong(&ok, 16);
    else if (!text.isEmpty() && text[0].isDigit())
        v = text.toULongLong(&ok, 10);
    if (!ok || v < lo || v > hi)
        throw inputError(QStringLiteral("%1 '%2' is not a number from %3 to %4")
                             .arg(QLatin1String(what), text).arg(lo).arg(hi));
    return static_cast<uint32_t>(v);
}

QStringList takeLinkOptions(const QStringList& args, LinkOptions& opts)
{
    int i = 0;
    while (i < args.size() && args[i].startsWith(QLatin1String("--"))) {
        const QString& o = args[i];
        if (o != QLatin1String("--port") && o != QLatin1String("--baud") && o != QLatin1String("--address"))
            break;
        if (i + 1 >= args.size())
            throw inputError(QStringLiteral("%1 needs a value").arg(o));
        const QString& v = args[i + 1];
        if (o == QLatin1String("--port")) {
            if (v.isEmpty())
                throw inputError(QStringLiteral("--port needs a device"));
            opts.port = v;
        } else if (o == QLatin1String("--baud")) {
            opts.baud = static_cast<int>(parseNumber(v, 1, 100000000, "--baud"));
        } else {
            opts.address = static_cast<int>(parseNumber(v, 0, 255, "--address"));
        }
        opts.given = true;
        i += 2;
    }
    return args.mid(i);
}

namespace {

// The port, the log and the protocol of one command.
struct Link {
    QtSerialLink port;
    InfoLog log;
    Protocol protocol{port, log};

    explicit Link(const LinkOptions& o)
    {
        if (o.port.isEmpty())
            throw inputError(QStringLiteral("controller commands need --port DEVICE"));
        port.setDevice(o.port);
        port.setBaud(o.baud);
        protocol.LinkAddress = static_cast<uint8_t>(o.address);
        if (!port.open())
            throw ToolError(kExitLink, QStringLiteral("%1: %2").arg(o.port, port.errorString()));
    }
};

void needArgs(const QStringList& args, int lo, int hi, const char* usage)
{
    if (args.size() < lo || args.size() > hi)
        throw inputError(QStringLiteral("usage: vkmtool --port DEVICE %1").arg(QLatin1String(usage)));
}

// Progress on stderr: one line every 32 blocks and the outcome.
TransferProgress progressOn(const char* what)
{
    TransferProgress p;
    p.position = [what](int pos) {
        const int block = pos / 8;
        if (block % 32 == 0 && block > 0)
            std::fprintf(stderr, "%s: block %d of 256\n", what, block);
    };
    p.status = [what](const QString& s) { std::fprintf(stderr, "%s: %s\n", what, qPrintable(s)); };
    return p;
}

void readAll(Link& link, ImageBuffer& image, const char* what)
{
    const TransferOutcome o = readImage(link.protocol, image, progressOn(what));
    if (!o.ok)
        throw ToolError(kExitLink, o.detail);
}

QByteArray imageBytes(const ImageBuffer& image)
{
    return QByteArray(reinterpret_cast<const char*>(image.data()), int(kImageSize));
}

} // namespace

int cmdReadImage(const LinkOptions& opts, const QStringList& args)
{
    needArgs(args, 1, 1, "read-image OUT");
    Link link(opts);
    auto image = std::make_unique<ImageBuffer>();
    image->fill(0);
    readAll(link, *image, "read-image");
    writeOutput(args[0], imageBytes(*image));
    return kExitOk;
}

int cmdRead(const LinkOptions& opts, const QStringList& args)
{
    needArgs(args, 2, 2, "read BASE OUT");
    auto record = std::make_unique<SettingsRecord>(readSettingsFile(args[0]));
    Link link(opts);
    auto image = std::make_unique<ImageBuffer>();
    image->fill(0);
    readAll(link, *image, "read");
    UnpackImage(*image, *record);
    writeOutput(args[1], QByteArray(reinterpret_cast<const char*>(record->bytes()), int(kSettingsSize)));
    return kExitOk;
}

int cmdWrite(const LinkOptions& opts, const QStringList& args)
{
    needArgs(args, 1, 2, "write SETTINGS [--verify]");
    bool verify = false;
    if (args.size() == 2) {
        if (args[1] != QLatin1String("--verify"))
            throw inputError(QStringLiteral("write: unknown option '%1'").arg(args[1]));
        verify = true;
    }
    const auto record = std::make_unique<SettingsRecord>(readSettingsFile(args[0]));
    auto image = std::make_unique<ImageBuffer>();
    image->fill(0);
    PackImage(*record, *image);

    Link link(opts);
    const TransferOutcome o = writeImageBlocks(link.protocol, *image, 0, 255, progressOn("write"));
    if (!o.ok)
        throw ToolError(kExitLink, o.detail);
    if (!verify)
        return kExitOk;

    auto back = std::make_unique<ImageBuffer>();
    back->fill(0);
    readAll(link, *back, "verify");
    for (size_t k = 0; k < kImageSize; ++k) {
        if ((*back)[k] != (*image)[k])
            throw ToolError(kExitLink,
                            QStringLiteral("verify: block %1 (EEPROM 0x%2) reads 0x%3, 0x%4 was written")
                                .arg(k / 8)
                                .arg(QString::number(k, 16).toUpper())
                                .arg(QString::number((*back)[k], 16).toUpper().rightJustified(2, QLatin1Char('0')))
                                .arg(QString::number((*image)[k], 16).toUpper().rightJustified(2, QLatin1Char('0'))));
    }
    std::fprintf(stderr, "verify: the controller holds the image written\n");
    return kExitOk;
}

int cmdPeek(const LinkOptions& opts, const QStringList& args)
{
    needArgs(args, 2, 2, "peek ADDR SPACE");
    const uint32_t addr = parseNumber(args[0], 0, 0xFFFFFF, "address");
    const uint32_t space = parseNumber(args[1], 0, 255, "space");
    Link link(opts);
    uint16_t value = 0;
    if (link.protocol.ReadWord(addr, static_cast<uint8_t>(space), value))
        throw ToolError(kExitLink, QStringLiteral("reading the word at 0x%1 of space %2 failed after %3 attempts: %4")
                                       .arg(QString::number(addr, 16).toUpper()).arg(space)
                                       .arg(Protocol::RetryCount).arg(link.protocol.lastFault()));
    std::printf("%u\n", unsigned(value));
    return kExitOk;
}

int cmdPoke(const LinkOptions& opts, const QStringList& args)
{
    needArgs(args, 3, 3, "poke ADDR VALUE SPACE");
    const uint32_t addr = parseNumber(args[0], 0, 0xFFFFFF, "address");
    const uint32_t value = parseNumber(args[1], 0, 255, "value");
    const uint32_t space = parseNumber(args[2], 0, 255, "space");
    Link link(opts);
    if (link.protocol.WriteByte(addr, static_cast<uint16_t>(value), static_cast<uint8_t>(space)))
        throw ToolError(kExitLink, QStringLiteral("writing the byte at 0x%1 of space %2 failed after %3 attempts: %4")
                                       .arg(QString::number(addr, 16).toUpper()).arg(space)
                                       .arg(Protocol::RetryCount).arg(link.protocol.lastFault()));
    return kExitOk;
}

int cmdDumpFlash(const LinkOptions& opts, const QStringList& args)
{
    SectorSet sectors = allSectors();
    QString dir = QStringLiteral(".");
    for (int i = 0; i < args.size(); i += 2) {
        const QString& o = args[i];
        if ((o != QLatin1String("--sectors") && o != QLatin1String("--dir")) || i + 1 >= args.size())
            throw inputError(QStringLiteral("usage: vkmtool --port DEVICE dump-flash [--sectors LIST] [--dir DIR]"));
        if (o == QLatin1String("--dir")) {
            dir = args[i + 1];
            continue;
        }
        QString why;
        const auto chosen = parseSectorList(args[i + 1], &why);
        if (!chosen)
            throw inputError(QStringLiteral("--sectors: %1").arg(why));
        sectors = *chosen;
    }
    Link link(opts);
    FlashDumpProgress progress;
    progress.status = [](const QString& s) { std::fprintf(stderr, "dump-flash: %s\n", qPrintable(s)); };
    progress.position = [](int block) {
        if (block % 128 == 0 && block > 0)
            std::fprintf(stderr, "dump-flash: block %d of 512\n", block);
    };
    FlashDumpOutcome o;
    try {
        o = dumpFlash(link.protocol, sectors, dir, progress);
    } catch (const FileError& e) {
        throw inputError(e.message());
    }
    if (o.result != FlashDumpOutcome::Ok)
        throw ToolError(kExitLink, o.detail);
    std::fprintf(stderr, "dump-flash: Read data Ok! (%d extra attempts)\n", o.retries);
    return kExitOk;
}

int cmdSetSpeed(const LinkOptions& opts, const QStringList& args)
{
    needArgs(args, 1, 1, "set-speed BAUD");
    const int baud = static_cast<int>(parseNumber(args[0], 0, 0xFFFFFF, "speed"));
    if (!isControllerSpeed(baud))
        throw inputError(QStringLiteral("speed %1 is not one of 4800, 9600, 14400, 19200, 38400, 57600").arg(baud));
    Link link(opts);
    if (setControllerSpeed(link.protocol, baud))
        throw ToolError(kExitLink, QStringLiteral("setting the controller's speed to %1 failed after %2 attempts: %3")
                                       .arg(baud).arg(Protocol::RetryCount).arg(link.protocol.lastFault()));
    std::fprintf(stderr, "set-speed: the controller now runs at %d; use --baud %d from here on\n", baud, baud);
    return kExitOk;
}

} // namespace vkmtool
