#include "app/ui/guard.h"

namespace vkm {

bool guarded(Prompter& prompts, const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        prompts.error(QString::fromUtf8(e.what()));
    } catch (...) {
        prompts.error(QStringLiteral("Unknown error"));
    }
    return false;
}

} // namespace vkm
