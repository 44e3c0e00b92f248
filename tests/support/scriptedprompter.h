#pragma once
// A Prompter for tests: answers from a script and records every box shown.
// A question or dialog nobody scripted is answered No / cancelled and
// recorded as unexpected, so a test sees it instead of hanging on a modal box.

#include "app/ui/prompter.h"

#include <QStringList>

#include <deque>
#include <optional>

namespace vkm {

class ScriptedPrompter : public Prompter {
public:
    // Scripted answers, taken in order.
    void answer(Answer a) { answers_.push_back(a); }
    void file(std::optional<QString> name) { files_.push_back(std::move(name)); }
    void input(std::optional<QString> text) { inputs_.push_back(std::move(text)); }

    // Every box shown, as "Kind: text" ("Information: Данные получены!",
    // "Question Error: ...", "Open", "Save", "Input: label").
    QStringList shown;
    QStringList unexpected;
    // The name each save dialog started with.
    QStringList saveInitialNames;

    void clear()
    {
        shown.clear();
        unexpected.clear();
        saveInitialNames.clear();
        answers_.clear();
        files_.clear();
        inputs_.clear();
    }
    // The last message or question text, or empty.
    QString last() const { return shown.isEmpty() ? QString() : shown.back(); }

    void message(Kind kind, const QString& text) override;
    Answer ask(Kind kind, const QString& text) override;
    std::optional<QString> openFileName(const QString& filter) override;
    std::optional<QString> saveFileName(const QString& filter, const QString& defaultSuffix,
                                        const QString& initialName) override;
    std::optional<QString> inputText(const QString& title, const QString& label, const QString& initial) override;

    static QString kindName(Kind kind);

private:
    std::deque<Answer> answers_;
    std::deque<std::optional<QString>> files_;
    std::deque<std::optional<QString>> inputs_;
};

} // namespace vkm
