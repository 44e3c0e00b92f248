#include "scriptedprompter.h"

namespace vkm {

QString ScriptedPrompter::kindName(Kind kind)
{
    switch (kind) {
    case Kind::Plain: return QStringLiteral("Plain");
    case Kind::Information: return QStringLiteral("Information");
    case Kind::Error: return QStringLiteral("Error");
    case Kind::Confirmation: return QStringLiteral("Confirmation");
    }
    return {};
}

void ScriptedPrompter::message(Kind kind, const QString& text)
{
    shown << kindName(kind) + QStringLiteral(": ") + text;
}

Prompter::Answer ScriptedPrompter::ask(Kind kind, const QString& text)
{
    shown << QStringLiteral("Question ") + kindName(kind) + QStringLiteral(": ") + text;
    if (answers_.empty()) {
        unexpected << shown.back();
        return Answer::No;
    }
    const Answer a = answers_.front();
    answers_.pop_front();
    return a;
}

std::optional<QString> ScriptedPrompter::openFileName(const QString&)
{
    shown << QStringLiteral("Open");
    if (files_.empty()) {
        unexpected << shown.back();
        return std::nullopt;
    }
    // a new optional from the name: g++ 12 -O2 takes a copied
    // optional<QString> for maybe uninitialised
    const std::optional<QString> f = std::move(files_.front());
    files_.pop_front();
    return f ? std::optional<QString>(*f) : std::nullopt;
}

std::optional<QString> ScriptedPrompter::saveFileName(const QString&, const QString&, const QString& initialName)
{
    shown << QStringLiteral("Save");
    saveInitialNames << initialName;
    if (files_.empty()) {
        unexpected << shown.back();
        return std::nullopt;
    }
    // a new optional from the name: g++ 12 -O2 takes a copied
    // optional<QString> for maybe uninitialised
    const std::optional<QString> f = std::move(files_.front());
    files_.pop_front();
    return f ? std::optional<QString>(*f) : std::nullopt;
}

std::optional<QString> ScriptedPrompter::inputText(const QString&, const QString& label, const QString&)
{
    shown << QStringLiteral("Input: ") + label;
    if (inputs_.empty()) {
        unexpected << shown.back();
        return std::nullopt;
    }
    // a new optional from the name: g++ 12 -O2 takes a copied
    // optional<QString> for maybe uninitialised
    const std::optional<QString> t = std::move(inputs_.front());
    inputs_.pop_front();
    return t ? std::optional<QString>(*t) : std::nullopt;
}

} // namespace vkm
