// Any baud rate the driver takes, not only the B-constants of termios: a
// file of its own, as the kernel's termios2 clashes with the C library's.
#pragma once

#include <string>

bool SetCustomBaud(int fd, unsigned long baud, std::string& error);
