#pragma once
// Waiting on a file descriptor, shared by the serial port and the sockets
// of POSIX systems.
#include "link/link.h"

// Waits up to `timeout_us` for `events` (POLLIN, POLLOUT) on `fd`: 1 ready,
// 0 not yet (the time ran out, or a signal came and the caller should look
// at its flags), -1 an error, left in errno.
int LinkWaitReady(int fd, short events, LinkTime timeout_us);
