#pragma once
// What every dialog is given at start-up: the one protocol object, the boxes
// and the on-line write (which reports through the write dialog's fields).

#include "app/ui/prompter.h"

#include <functional>

namespace vkm {

class Protocol;

struct AppContext {
    Protocol& protocol;
    Prompter& prompts;
    // WriteOnLine(from, to): 0 all blocks written, 1 a block failed.
    std::function<int(int from, int to)> writeOnLine;
};

} // namespace vkm
