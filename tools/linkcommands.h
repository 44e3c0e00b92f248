#pragma once
// vkmtool's controller commands: the configurator's own protocol and
// transfer code over a serial device named on the command line.

#include <QString>
#include <QStringList>

#include <cstdint>

namespace vkmtool {

// Options that stand before a controller command.
struct LinkOptions {
    QString port;          // --port DEVICE (required by every controller command)
    int baud = 9600;       // --baud N
    int address = 1;       // --address A (0: no address byte)
    bool given = false;    // any of them was given
};

// Takes the leading --port/--baud/--address options off `args` into `opts`;
// throws ToolError (status 2) on a bad or incomplete option.
QStringList takeLinkOptions(const QStringList& args, LinkOptions& opts);

// A decimal or 0x-hexadecimal number in lo..hi; throws ToolError (status 2)
// naming `what` otherwise.
uint32_t parseNumber(const QString& text, uint32_t lo, uint32_t hi, const char* what);

int cmdReadImage(const LinkOptions& opts, const QStringList& args);
int cmdRead(const LinkOptions& opts, const QStringList& args);
int cmdWrite(const LinkOptions& opts, const QStringList& args);
int cmdPeek(const LinkOptions& opts, const QStringList& args);
int cmdPoke(const LinkOptions& opts, const QStringList& args);
int cmdDumpFlash(const LinkOptions& opts, const QStringList& args);
int cmdSetSpeed(const LinkOptions& opts, const QStringList& args);

// Usage lines of the controller commands, for vkmtool --help.
extern const char* kLinkUsage;

} // namespace vkmtool
