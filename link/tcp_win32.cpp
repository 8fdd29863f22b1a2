// TCP through Winsock.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <string>

#include "link/link.h"

namespace {

// Winsock is started once for the process, before the first socket.
bool StartWinsock(std::string& error) {
    static const int started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data);
    }();
    if (started != 0) error = "Winsock did not start (error " + std::to_string(started) + ")";
    return started == 0;
}

// How often a connection under way looks at its caller's cancel.
constexpr LinkTime kConnectSliceUs = 20000;

std::string SocketError(int code) {
    switch (code) {
        case WSAECONNREFUSED:
            return "connection refused (nothing listens there)";
        case WSAETIMEDOUT:
            return "no answer from the host (timed out)";
        case WSAEHOSTUNREACH:
        case WSAENETUNREACH:
            return "host unreachable";
        case WSAECONNRESET:
        case WSAECONNABORTED:
            return "the peer reset the connection";
        case WSAEADDRINUSE:
            return "port in use";
        default:
            return "socket error " + std::to_string(code);
    }
}

class TcpLink : public Link {
public:
    TcpLink(SOCKET socket, std::string name) : socket_(socket), name_(std::move(name)) {
        const BOOL one = TRUE;
        setsockopt(socket_, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
        u_long nonblocking = 1;
        ioctlsocket(socket_, FIONBIO, &nonblocking);
    }
    ~TcpLink() override { closesocket(socket_); }

    LinkRead Read(LinkTime timeout_us) override {
        LinkRead result;
        WSAPOLLFD p{};
        p.fd = socket_;
        p.events = POLLRDNORM;
        const int ready = WSAPoll(&p, 1, LinkPollMs(timeout_us));
        if (ready < 0) {
            result.status = LinkRead::kError;
            result.error = SocketError(WSAGetLastError());
            return result;
        }
        if (ready == 0) return result;
        char buffer[65536];
        const int n = recv(socket_, buffer, sizeof buffer, 0);
        result.time = LinkNow();
        if (n > 0) {
            result.status = LinkRead::kData;
            result.bytes.assign(buffer, buffer + n);
        } else if (n == 0) {
            result.status = LinkRead::kClosed;
            result.error = "the peer closed the connection";
        } else if (WSAGetLastError() != WSAEWOULDBLOCK) {
            result.status = LinkRead::kClosed;
            result.error = SocketError(WSAGetLastError());
        }
        return result;
    }

    long long WriteSome(const unsigned char* bytes, std::size_t size, LinkTime timeout_us,
                        std::string& error) override {
        WSAPOLLFD p{};
        p.fd = socket_;
        p.events = POLLWRNORM;
        const int ready = WSAPoll(&p, 1, LinkPollMs(timeout_us));
        if (ready < 0) {
            error = SocketError(WSAGetLastError());
            return -1;
        }
        if (ready == 0) return 0;
        const int chunk = static_cast<int>(std::min<std::size_t>(size, 1 << 16));
        const int n = send(socket_, reinterpret_cast<const char*>(bytes), chunk, 0);
        if (n >= 0) return n;
        const int code = WSAGetLastError();
        if (code == WSAEWOULDBLOCK) return 0;
        error = code == WSAECONNRESET || code == WSAECONNABORTED ? "the peer closed the connection" : SocketError(code);
        return -1;
    }

    std::string Name() const override { return name_; }

private:
    SOCKET socket_;
    std::string name_;
};

class TcpListener : public LinkListener {
public:
    TcpListener(SOCKET socket, unsigned port) : socket_(socket), port_(port) {}
    ~TcpListener() override { closesocket(socket_); }
    unsigned port() const override { return port_; }

    std::unique_ptr<Link> Accept(LinkTime timeout_us, std::string& error) override {
        error.clear();
        WSAPOLLFD p{};
        p.fd = socket_;
        p.events = POLLRDNORM;
        const int ready = WSAPoll(&p, 1, LinkPollMs(timeout_us));
        if (ready <= 0) {
            if (ready < 0) error = SocketError(WSAGetLastError());
            return nullptr;
        }
        sockaddr_storage peer{};
        int length = sizeof peer;
        const SOCKET accepted = accept(socket_, reinterpret_cast<sockaddr*>(&peer), &length);
        if (accepted == INVALID_SOCKET) {
            error = SocketError(WSAGetLastError());
            return nullptr;
        }
        char host[NI_MAXHOST], service[NI_MAXSERV];
        std::string name = "peer";
        if (getnameinfo(reinterpret_cast<sockaddr*>(&peer), length, host, sizeof host, service, sizeof service,
                        NI_NUMERICHOST | NI_NUMERICSERV) == 0) {
            name = std::string(host) + ":" + service;
        }
        return std::make_unique<TcpLink>(accepted, name);
    }

private:
    SOCKET socket_;
    unsigned port_;
};

}  // namespace

std::unique_ptr<Link> ConnectTcpLink(const std::string& host, const std::string& port, std::string& error,
                                     LinkTime timeout_us, const std::function<bool()>& cancelled) {
    error.clear();
    if (!StartWinsock(error)) return nullptr;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) {
        error = "no such host";
        return nullptr;
    }
    const LinkTime deadline = LinkNow() + timeout_us;
    int last_error = WSAECONNREFUSED;
    bool stopped = false, timed_out = false;
    for (addrinfo* a = found; a != nullptr && !stopped && !timed_out; a = a->ai_next) {
        const SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s == INVALID_SOCKET) {
            last_error = WSAGetLastError();
            continue;
        }
        // Not blocking while it connects: the wait is ours, in slices that
        // look at `cancelled` and the deadline. (TcpLink keeps the socket so.)
        u_long nonblocking = 1;
        ioctlsocket(s, FIONBIO, &nonblocking);
        int result = connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0 ? 0 : WSAGetLastError();
        while (result == WSAEWOULDBLOCK) {
            const LinkTime now = LinkNow();
            stopped = cancelled && cancelled();
            timed_out = now >= deadline;
            if (stopped || timed_out) break;
            // A refused connection shows as an exception, not as writable.
            fd_set writable, failed;
            FD_ZERO(&writable);
            FD_ZERO(&failed);
            FD_SET(s, &writable);
            FD_SET(s, &failed);
            const LinkTime slice = std::min<LinkTime>(deadline - now, kConnectSliceUs);
            timeval wait = {0, static_cast<long>(slice)};
            const int ready = select(0, nullptr, &writable, &failed, &wait);
            if (ready == SOCKET_ERROR) {
                result = WSAGetLastError();
            } else if (ready > 0) {
                int code = 0;
                int length = sizeof code;
                if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&code), &length) != 0) {
                    code = WSAGetLastError();
                }
                result = FD_ISSET(s, &failed) && code == 0 ? WSAECONNREFUSED : code;
            }
        }
        if (result == 0) {
            freeaddrinfo(found);
            return std::make_unique<TcpLink>(s, host + ":" + port);
        }
        if (!stopped && !timed_out) last_error = result;
        closesocket(s);
    }
    freeaddrinfo(found);
    if (stopped) return nullptr;  // the caller's own doing: nothing to tell
    error = timed_out ? "no answer from the host within " + DurationText(timeout_us) : SocketError(last_error);
    return nullptr;
}

std::unique_ptr<LinkListener> ListenTcp(const std::string& port, std::string& error, const std::string& host,
                                        int backlog) {
    if (!StartWinsock(error)) return nullptr;
    SOCKET listening = INVALID_SOCKET;
    int last_error = WSAEADDRNOTAVAIL;
    for (int family : {AF_INET6, AF_INET}) {
        addrinfo hints{};
        hints.ai_family = family;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_PASSIVE;
        addrinfo* found = nullptr;
        if (getaddrinfo(host.empty() ? nullptr : host.c_str(), port.c_str(), &hints, &found) != 0) continue;
        for (addrinfo* a = found; a != nullptr && listening == INVALID_SOCKET; a = a->ai_next) {
            listening = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
            if (listening == INVALID_SOCKET) {
                last_error = WSAGetLastError();
                continue;
            }
            const DWORD zero = 0;
            if (a->ai_family == AF_INET6) {
                setsockopt(listening, IPPROTO_IPV6, IPV6_V6ONLY, reinterpret_cast<const char*>(&zero), sizeof zero);
            }
            if (bind(listening, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0 || listen(listening, backlog) != 0) {
                last_error = WSAGetLastError();
                closesocket(listening);
                listening = INVALID_SOCKET;
            }
        }
        freeaddrinfo(found);
        if (listening != INVALID_SOCKET || last_error == WSAEADDRINUSE) break;
    }
    if (listening == INVALID_SOCKET) {
        error = SocketError(last_error);
        return nullptr;
    }
    sockaddr_storage bound{};
    int length = sizeof bound;
    unsigned actual = 0;
    if (getsockname(listening, reinterpret_cast<sockaddr*>(&bound), &length) == 0) {
        actual = bound.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port)
                                             : ntohs(reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
    }
    return std::make_unique<TcpListener>(listening, actual);
}
