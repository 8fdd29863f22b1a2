// One interface over the two wires a device is reached by: a serial port
// and a TCP connection. Each platform's code lives in files of its own
// (serial_posix.cpp, serial_win32.cpp, tcp_posix.cpp, tcp_win32.cpp).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/framer.h"
#include "link/serial_settings.h"

// The monotonic clock the reader stamps chunks with.
LinkTime LinkNow();
// A duration as a message says it: "10 s", or "300 ms" short of a whole
// second.
std::string DurationText(LinkTime us);
// A timeout in microseconds as the whole milliseconds poll() and WSAPoll()
// take, rounded up so that a short wait is no busy loop; -1 (none) stays -1.
int LinkPollMs(LinkTime timeout_us);

// What one wait for bytes gave.
struct LinkRead {
    enum Status {
        kData,     // `bytes` arrived at `time`
        kTimeout,  // nothing within the time given
        kClosed,   // the other end went away; `error` says how, in words
        kError,    // `error` says what failed
    } status = kTimeout;
    LinkBytes bytes;
    LinkTime time = 0;
    std::string error;
};

class Link {
public:
    virtual ~Link() = default;
    // Waits at most `timeout_us` for bytes; a chunk is whatever the system
    // had, stamped with the time the read returned.
    virtual LinkRead Read(LinkTime timeout_us) = 0;
    // As many of `bytes` as the system takes within `timeout_us`: 0 when
    // none found room, so that the caller can read meanwhile (a peer that
    // echoes blocks on its own writes until its answers are read); -1 with
    // why in `error` when the link failed.
    virtual long long WriteSome(const unsigned char* bytes, std::size_t size, LinkTime timeout_us,
                                std::string& error) = 0;
    // The port or peer, as messages name it.
    virtual std::string Name() const = 0;
};

// The serial port `port` (/dev/ttyUSB0, COM3) with `settings`. Null with the
// cause in `error`, in words a user can act on: no such port, busy,
// permission denied (and what to do), a setting the driver refuses.
std::unique_ptr<Link> OpenSerialLink(const std::string& port, const SerialSettings& settings, std::string& error);

struct PortInfo {
    std::string name;         // what OpenSerialLink takes
    std::string description;  // a by-id name, a friendly name, or ""
};
std::vector<PortInfo> ListSerialPorts();

// How long a connection is tried before it is given up: a device on a
// network answers within a second or is not there, and the systems' own
// limits (21 s on Windows, two minutes on Linux) leave a user waiting.
constexpr LinkTime kTcpConnectTimeoutUs = 10 * 1000 * 1000;

// A TCP connection to `host`:`port`, tried for `timeout_us` at most (the
// host's addresses in turn share it). `cancelled`, asked every few
// milliseconds while the peer is silent, gives up at once: null, with
// `error` empty. The name lookup before it is the system's and waits its own
// time.
std::unique_ptr<Link> ConnectTcpLink(const std::string& host, const std::string& port, std::string& error,
                                     LinkTime timeout_us = kTcpConnectTimeoutUs,
                                     const std::function<bool()>& cancelled = nullptr);

// A TCP port listened on, which hands over the first peer to connect.
class LinkListener {
public:
    virtual ~LinkListener() = default;
    // The port actually listened on (the system's choice for port 0).
    virtual unsigned port() const = 0;
    // Waits at most `timeout_us` (-1: for ever) for a peer; null with
    // `error` empty on a timeout.
    virtual std::unique_ptr<Link> Accept(LinkTime timeout_us, std::string& error) = 0;
};
// `host` limits it to one of this machine's addresses ("127.0.0.1" keeps
// other machines out); "" listens on all. `backlog` peers may wait to be
// accepted.
std::unique_ptr<LinkListener> ListenTcp(const std::string& port, std::string& error, const std::string& host = "",
                                        int backlog = 1);
