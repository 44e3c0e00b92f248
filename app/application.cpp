#include "app/application.h"

#include "app/ui/prompter.h"
#include "core/version.h"

#include <cstdio>
#include <exception>

namespace vkm {

VkmApplication::VkmApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QString::fromUtf16(kApplicationTitle));
    setDesktopFileName(QStringLiteral("vkm"));
}

bool VkmApplication::notify(QObject* receiver, QEvent* event)
{
    QString what;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        what = QString::fromUtf8(e.what());
    } catch (...) {
        what = QStringLiteral("Unknown error");
    }
    std::fprintf(stderr, "vkm: %s\n", what.toLocal8Bit().constData());
    if (prompts_)
        prompts_->error(what);
    return false;
}

} // namespace vkm
