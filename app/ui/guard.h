#pragma once
// The application's general error box: a handler body that throws (a file or
// port failure, a text that is not a number) is abandoned, the error is shown
// with its description and the application goes on.

#include "app/ui/prompter.h"

#include <exception>
#include <functional>

namespace vkm {

// Runs `body`; any exception is reported through prompts.error(what()).
// Returns false when the body threw.
bool guarded(Prompter& prompts, const std::function<void()>& body);

} // namespace vkm
