#pragma once
// Every message box, question, file dialog and input box goes through this
// interface. The application shows real boxes (QtPrompter); tests answer
// them in code and fail on a box nobody expected.

#include <QString>

#include <optional>

namespace vkm {

class Prompter {
public:
    enum class Kind {
        Plain,        // a plain message box titled "Управление ВКМ"
        Information,  // information icon, OK
        Error,        // error icon, OK (or Yes/No for a question)
        Confirmation, // question icon, Yes/No
    };
    enum class Answer { Yes, No, Closed };

    virtual ~Prompter() = default;

    virtual void message(Kind kind, const QString& text) = 0;
    virtual Answer ask(Kind kind, const QString& text) = 0;
    // nullopt when the dialog is cancelled. `filter` in Qt form, for example
    // "Bin Files (*.bin);;All Files (*.*)".
    virtual std::optional<QString> openFileName(const QString& filter) = 0;
    // `initialName`: the name the dialog starts with (empty: none).
    virtual std::optional<QString> saveFileName(const QString& filter, const QString& defaultSuffix = {},
                                                const QString& initialName = {}) = 0;
    virtual std::optional<QString> inputText(const QString& title, const QString& label, const QString& initial) = 0;

    void information(const QString& text) { message(Kind::Information, text); }
    void error(const QString& text) { message(Kind::Error, text); }
    void plain(const QString& text) { message(Kind::Plain, text); }
};

} // namespace vkm
