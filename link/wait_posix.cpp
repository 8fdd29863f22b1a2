#include "link/wait_posix.h"

#include <poll.h>

#include <cerrno>

int LinkWaitReady(int fd, short events, LinkTime timeout_us) {
    pollfd p{fd, events, 0};
    const int ready = poll(&p, 1, LinkPollMs(timeout_us));
    if (ready < 0) return errno == EINTR ? 0 : -1;
    return ready > 0 ? 1 : 0;
}
