// TCP through POSIX sockets.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "link/link.h"
#include "link/wait_posix.h"

namespace {

class TcpLink : public Link {
public:
    TcpLink(int fd, std::string name) : fd_(fd), name_(std::move(name)) {
        // Each frame goes out when written, not held back to fill a segment.
        const int one = 1;
        setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    ~TcpLink() override { close(fd_); }

    LinkRead Read(LinkTime timeout_us) override {
        LinkRead result;
        const int ready = LinkWaitReady(fd_, POLLIN, timeout_us);
        if (ready < 0) {
            result.status = LinkRead::kError;
            result.error = std::strerror(errno);
            return result;
        }
        if (ready == 0) return result;  // or a signal: the caller looks at its flags
        unsigned char buffer[65536];
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        result.time = LinkNow();
        if (n > 0) {
            result.status = LinkRead::kData;
            result.bytes.assign(buffer, buffer + n);
        } else if (n == 0) {
            result.status = LinkRead::kClosed;
            result.error = "the peer closed the connection";
        } else if (errno != EINTR && errno != EAGAIN) {
            result.status = LinkRead::kClosed;
            result.error = errno == ECONNRESET ? "the peer reset the connection" : std::strerror(errno);
        }
        return result;
    }

    long long WriteSome(const unsigned char* bytes, std::size_t size, LinkTime timeout_us,
                        std::string& error) override {
        // The socket has room nearly always: try at once, and wait for room
        // only when there was none (a poll before every send costs a
        // request-and-answer peer a system call each frame).
        const long long sent = SendNow(bytes, size, error);
        if (sent != 0) return sent;
        const int ready = LinkWaitReady(fd_, POLLOUT, timeout_us);
        if (ready < 0) {
            error = std::strerror(errno);
            return -1;
        }
        return ready == 0 ? 0 : SendNow(bytes, size, error);
    }

    std::string Name() const override { return name_; }

private:
    // What the socket takes now: the bytes sent, 0 when it has no room,
    // -1 with why in `error`.
    long long SendNow(const unsigned char* bytes, std::size_t size, std::string& error) {
        // MSG_NOSIGNAL: a peer gone is an error to report, not SIGPIPE;
        // MSG_DONTWAIT: room for some bytes need not be room for all.
        const ssize_t n = send(fd_, bytes, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) return n;
        if (errno == EINTR || errno == EAGAIN) return 0;
        error = errno == EPIPE || errno == ECONNRESET ? "the peer closed the connection" : std::strerror(errno);
        return -1;
    }

    int fd_;
    std::string name_;
};

class TcpListener : public LinkListener {
public:
    TcpListener(int fd, unsigned port) : fd_(fd), port_(port) {}
    ~TcpListener() override { close(fd_); }
    unsigned port() const override { return port_; }

    std::unique_ptr<Link> Accept(LinkTime timeout_us, std::string& error) override {
        error.clear();
        const int ready = LinkWaitReady(fd_, POLLIN, timeout_us);
        if (ready <= 0) {
            if (ready < 0) error = std::strerror(errno);
            return nullptr;
        }
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        const int fd = accept(fd_, reinterpret_cast<sockaddr*>(&peer), &length);
        if (fd < 0) {
            if (errno != EINTR && errno != EAGAIN) error = std::strerror(errno);
            return nullptr;
        }
        char host[NI_MAXHOST], service[NI_MAXSERV];
        std::string name = "peer";
        if (getnameinfo(reinterpret_cast<sockaddr*>(&peer), length, host, sizeof host, service, sizeof service,
                        NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
            name = std::string(host) + ":" + service;
        }
        return std::make_unique<TcpLink>(fd, name);
    }

private:
    int fd_;
    unsigned port_;
};

// How often a connection under way looks at its caller's cancel.
constexpr LinkTime kConnectSliceUs = 20000;

std::string ConnectError(int error) {
    switch (error) {
        case ECONNREFUSED:
            return "connection refused (nothing listens there)";
        case ETIMEDOUT:
            return "no answer from the host (timed out)";
        case EHOSTUNREACH:
        case ENETUNREACH:
            return "host unreachable";
        default:
            return std::strerror(error);
    }
}

}  // namespace

std::unique_ptr<Link> ConnectTcpLink(const std::string& host, const std::string& port, std::string& error,
                                     LinkTime timeout_us, const std::function<bool()>& cancelled) {
    error.clear();
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int looked = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
    if (looked != 0) {
        error = looked == EAI_NONAME ? "no such host" : gai_strerror(looked);
        return nullptr;
    }
    const LinkTime deadline = LinkNow() + timeout_us;
    int last_error = ECONNREFUSED;
    bool stopped = false, timed_out = false;
    for (addrinfo* a = found; a != nullptr && !stopped && !timed_out; a = a->ai_next) {
        // Not blocking while it connects: the wait is ours, in slices that
        // look at `cancelled` and the deadline.
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) {
            last_error = errno;
            continue;
        }
        int result = connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
        while (result == EINPROGRESS || result == EINTR) {
            const LinkTime now = LinkNow();
            stopped = cancelled && cancelled();
            timed_out = now >= deadline;
            if (stopped || timed_out) break;
            const int ready = LinkWaitReady(fd, POLLOUT, std::min<LinkTime>(deadline - now, kConnectSliceUs));
            if (ready < 0 && errno != EINTR) {
                result = errno;
            } else if (ready > 0) {
                socklen_t length = sizeof result;
                if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length) != 0) result = errno;
            }
        }
        if (result == 0) {
            freeaddrinfo(found);
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            return std::make_unique<TcpLink>(fd, host + ":" + port);
        }
        if (!stopped && !timed_out) last_error = result;
        close(fd);
    }
    freeaddrinfo(found);
    if (stopped) return nullptr;  // the caller's own doing: nothing to tell
    error = timed_out ? "no answer from the host within " + DurationText(timeout_us) : ConnectError(last_error);
    return nullptr;
}

std::unique_ptr<LinkListener> ListenTcp(const std::string& port, std::string& error, const std::string& host,
                                        int backlog) {
    // IPv6 with IPv4 mapped where the system has it, else IPv4 alone.
    int fd = -1;
    int last_error = EADDRNOTAVAIL;
    for (int family : {AF_INET6, AF_INET}) {
        addrinfo hints{};
        hints.ai_family = family;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
        addrinfo* found = nullptr;
        const int looked = getaddrinfo(host.empty() ? nullptr : host.c_str(), port.c_str(), &hints, &found);
        if (looked != 0) {
            error = gai_strerror(looked);
            continue;
        }
        for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
            fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
            if (fd < 0) {
                last_error = errno;
                continue;
            }
            const int one = 1, zero = 0;
            setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
            if (a->ai_family == AF_INET6) setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &zero, sizeof zero);
            if (bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, backlog) != 0) {
                last_error = errno;
                close(fd);
                fd = -1;
            }
        }
        freeaddrinfo(found);
        if (fd >= 0 || last_error == EADDRINUSE || last_error == EACCES) break;
    }
    if (fd < 0) {
        error = last_error == EADDRINUSE ? "port in use"
                : last_error == EACCES   ? "permission denied (a port below 1024 needs root)"
                                         : std::strerror(last_error);
        return nullptr;
    }
    sockaddr_storage bound{};
    socklen_t length = sizeof bound;
    unsigned actual = 0;
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) == 0) {
        actual = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                             : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    }
    return std::make_unique<TcpListener>(fd, actual);
}
