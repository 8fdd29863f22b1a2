// One interface over the two wires a device is reached by: a serial port
// and a TCP connection. Each platform's code lives in files of its own
// (serial_posix.cpp, serial_win32.cpp, tcp_posix.cpp, tcp_win32.cpp).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/framer.h"
#include "link/serial_settings.h"

// The monotonic clock the reader stamps chunks with.
LinkTime LinkNow();
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

// A TCP connection to `host`:`port`.
std::unique_ptr<Link> ConnectTcpLink(const std::string& host, const std::string& port, std::string& error);

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
std::unique_ptr<LinkListener> ListenTcp(const std::string& port, std::string& error);
