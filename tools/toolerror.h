#pragma once

#include <QString>

#include <stdexcept>

namespace vkmtool {

// Exit statuses: 0 success, 1 the port or the controller failed, 2 bad
// arguments or files.
inline constexpr int kExitOk = 0;
inline constexpr int kExitLink = 1;
inline constexpr int kExitInput = 2;

// One line for stderr and the exit status that goes with it.
struct ToolError : std::runtime_error {
    int status;
    ToolError(int status, const QString& line) : std::runtime_error(line.toStdString()), status(status) {}
};

inline ToolError inputError(const QString& line) { return ToolError(kExitInput, line); }

} // namespace vkmtool
