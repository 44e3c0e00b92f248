// Kept apart from <termios.h>: the kernel's termios2 definitions clash with
// the C library's.
#include "linespeed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace vkmsim {

namespace {
struct Rate {
    unsigned code;
    long speed;
};
constexpr Rate kRates[] = {
    {B50, 50}, {B75, 75}, {B110, 110}, {B134, 134}, {B150, 150}, {B200, 200},
    {B300, 300}, {B600, 600}, {B1200, 1200}, {B1800, 1800}, {B2400, 2400},
    {B4800, 4800}, {B9600, 9600}, {B19200, 19200}, {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
    {B500000, 500000}, {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000},
};
} // namespace

long lineSpeed(int fd)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return 0;
    const unsigned code = t.c_cflag & CBAUD;
    if (code == BOTHER)
        return static_cast<long>(t.c_ospeed);
    for (const Rate& r : kRates)
        if (r.code == code)
            return r.speed;
    return static_cast<long>(t.c_ospeed);
}

bool setLineSpeed(int fd, long speed)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return false;
    t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    unsigned code = BOTHER;
    for (const Rate& r : kRates)
        if (r.speed == speed)
            code = r.code;
    t.c_cflag |= code | (code << IBSHIFT);
    t.c_ispeed = t.c_ospeed = static_cast<speed_t>(speed);
    return ioctl(fd, TCSETS2, &t) == 0;
}

} // namespace vkmsim
