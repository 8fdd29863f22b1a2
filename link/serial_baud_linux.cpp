#include "link/serial_baud_linux.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cerrno>
#include <cstring>

// <sys/ioctl.h> would bring the C library's termios back in.
extern "C" int ioctl(int fd, unsigned long request, ...);

bool SetCustomBaud(int fd, unsigned long baud, std::string& error) {
    termios2 tio{};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        error = std::strerror(errno);
        return false;
    }
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= BOTHER;
    tio.c_ispeed = static_cast<speed_t>(baud);
    tio.c_ospeed = static_cast<speed_t>(baud);
    if (ioctl(fd, TCSETS2, &tio) != 0) {
        error = "the driver refuses " + std::to_string(baud) + " baud";
        return false;
    }
    // A driver may round to what its divider makes: more than 3 % off is
    // another rate, which the far end would not read.
    termios2 got{};
    if (ioctl(fd, TCGETS2, &got) == 0 && got.c_ospeed != 0) {
        const double ratio = static_cast<double>(got.c_ospeed) / static_cast<double>(baud);
        if (ratio < 0.97 || ratio > 1.03) {
            error = "the driver refuses " + std::to_string(baud) + " baud (it would give " +
                    std::to_string(got.c_ospeed) + ")";
            return false;
        }
    }
    return true;
}
