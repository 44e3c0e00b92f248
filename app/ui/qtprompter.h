#pragma once

#include "app/ui/prompter.h"

class QWidget;

namespace vkm {

// Real message boxes and file dialogs. The file dialogs never ask their own
// overwrite question: the system asks its own.
class QtPrompter : public Prompter {
public:
    void message(Kind kind, const QString& text) override;
    Answer ask(Kind kind, const QString& text) override;
    std::optional<QString> openFileName(const QString& filter) override;
    std::optional<QString> saveFileName(const QString& filter, const QString& defaultSuffix,
                                        const QString& initialName) override;
    std::optional<QString> inputText(const QString& title, const QString& label, const QString& initial) override;
};

} // namespace vkm
