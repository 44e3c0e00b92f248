// vkmtool: the configurator's settings and controller operations from the
// command line, for service scripts and for checking files without the GUI.

#include "filecommands.h"
#include "linkcommands.h"
#include "toolerror.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <map>

using namespace vkmtool;

namespace {

const char* kUsage =
    "usage: vkmtool [LINK OPTIONS] COMMAND ARGS...\n"
    "\n"
    "Settings files (15072 bytes), images (2048 bytes) and legacy files (14696 bytes):\n"
    "  defaults OUT                 write the settings of a new configuration\n"
    "  export SETTINGS OUT          pack SETTINGS and write the 2049-byte flash.bin image\n"
    "  unpack IMAGE BASE OUT        unpack the first 2048 bytes of IMAGE over BASE\n"
    "  convert LEGACY BASE OUT      convert a legacy file; BASE gives the kept texts\n"
    "  show SETTINGS                print every field, one value a line\n"
    "\n";

const char* kExitUsage =
    "\n"
    "Exit status: 0 success, 1 port or controller failure, 2 bad arguments or files.\n";

using Command = std::function<int(const QStringList&)>;

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    LinkOptions link;
    try {
        args = takeLinkOptions(args, link);
    } catch (const ToolError& e) {
        std::fprintf(stderr, "vkmtool: %s\n", e.what());
        return e.status;
    }
    // Controller commands take the link options; a later one (dump-flash,
    // set-speed) is one more line here.
    const auto withLink = [&link](int (*cmd)(const LinkOptions&, const QStringList&)) {
        return Command([&link, cmd](const QStringList& a) { return cmd(link, a); });
    };

    const std::map<QString, Command> commands = {
        {QStringLiteral("defaults"), cmdDefaults},
        {QStringLiteral("export"), cmdExport},
        {QStringLiteral("unpack"), cmdUnpack},
        {QStringLiteral("convert"), cmdConvert},
        {QStringLiteral("show"), cmdShow},
        {QStringLiteral("read-image"), withLink(cmdReadImage)},
        {QStringLiteral("read"), withLink(cmdRead)},
        {QStringLiteral("write"), withLink(cmdWrite)},
        {QStringLiteral("peek"), withLink(cmdPeek)},
        {QStringLiteral("poke"), withLink(cmdPoke)},
        {QStringLiteral("dump-flash"), withLink(cmdDumpFlash)},
        {QStringLiteral("set-speed"), withLink(cmdSetSpeed)},
    };

    if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")) {
        FILE* out = args.isEmpty() ? stderr : stdout;
        std::fputs(kUsage, out);
        std::fputs(kLinkUsage, out);
        std::fputs(kExitUsage, out);
        return args.isEmpty() ? kExitInput : kExitOk;
    }
    const auto it = commands.find(args[0]);
    if (it == commands.end()) {
        std::fprintf(stderr, "vkmtool: unknown command '%s' (see vkmtool --help)\n", qPrintable(args[0]));
        return kExitInput;
    }
    try {
        return it->second(args.mid(1));
    } catch (const ToolError& e) {
        std::fprintf(stderr, "vkmtool: %s\n", e.what());
        return e.status;
    }
}
