#pragma once
// The speed a terminal runs at, as its owner set it (standard rates and the
// custom rates that Linux serial drivers take through termios2).

namespace vkmsim {

// Output speed of the terminal open on fd in bit/s; 0 when it cannot be read.
long lineSpeed(int fd);
// Sets both speeds of the terminal on fd; false on failure.
bool setLineSpeed(int fd, long speed);

} // namespace vkmsim
