// Serial ports through POSIX termios (Linux).
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

#include "link/link.h"
#include "link/serial_baud_linux.h"
#include "link/wait_posix.h"

namespace {

const char kGone[] = "the port went away (cable pulled or device removed)";

struct StandardBaud {
    unsigned long baud;
    speed_t code;
};
const StandardBaud kStandardBauds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

std::string OpenError(const std::string& port, int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "no such port";
        case EBUSY:
            return "busy (another program has it open)";
        case EACCES:
        case EPERM:
            return "permission denied (add the user to the dialout group: sudo usermod -aG dialout $USER, "
                   "then log in again)";
        default:
            return std::strerror(error);
    }
    (void)port;
}

class SerialLink : public Link {
public:
    SerialLink(int fd, std::string name) : fd_(fd), name_(std::move(name)) {}
    ~SerialLink() override {
        ioctl(fd_, TIOCNXCL);  // the exclusive mode outlives the file otherwise
        close(fd_);
    }

    LinkRead Read(LinkTime timeout_us) override {
        LinkRead result;
        const int ready = LinkWaitReady(fd_, POLLIN, timeout_us);
        if (ready < 0) {
            result.status = LinkRead::kError;
            result.error = std::strerror(errno);
            return result;
        }
        if (ready == 0) return result;  // or a signal: the caller looks at its flags
        unsigned char buffer[4096];
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        result.time = LinkNow();
        if (n > 0) {
            result.status = LinkRead::kData;
            result.bytes.assign(buffer, buffer + n);
            return result;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) return result;
        // A USB adapter pulled out, or the other end of a pty closed: the
        // driver hangs up and reads give EIO or end of file.
        result.status = LinkRead::kClosed;
        result.error = n == 0 || errno == EIO ? kGone : std::strerror(errno);
        return result;
    }

    long long WriteSome(const unsigned char* bytes, std::size_t size, LinkTime timeout_us,
                        std::string& error) override {
        const int ready = LinkWaitReady(fd_, POLLOUT, timeout_us);
        if (ready < 0) {
            error = std::strerror(errno);
            return -1;
        }
        if (ready == 0) return 0;
        const ssize_t n = write(fd_, bytes, size);
        if (n >= 0) return n;
        if (errno == EINTR || errno == EAGAIN) return 0;
        error = errno == EIO ? kGone : std::strerror(errno);
        return -1;
    }

    std::string Name() const override { return name_; }

private:
    int fd_;
    std::string name_;
};

bool ApplySettings(int fd, const SerialSettings& s, std::string& error) {
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        error = errno == ENOTTY ? "not a serial port" : std::strerror(errno);
        return false;
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR);
    static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    tio.c_cflag |= kSizes[s.data_bits - 5];
    switch (s.parity) {
        case Parity::kNone:
            break;
        case Parity::kEven:
            tio.c_cflag |= PARENB;
            break;
        case Parity::kOdd:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case Parity::kMark:
            tio.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case Parity::kSpace:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
    }
    if (s.stop_bits == StopBits::kOneAndHalf && s.data_bits != 5) {
        // The UART sends 1.5 stop bits when told 2 with 5 data bits; Linux
        // has no other way to ask for them.
        error = "1.5 stop bits: the driver offers them with 5 data bits only";
        return false;
    }
    if (s.stop_bits != StopBits::kOne) tio.c_cflag |= CSTOPB;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (s.flow == FlowControl::kRtsCts) tio.c_cflag |= CRTSCTS;
    if (s.flow == FlowControl::kXonXoff) tio.c_iflag |= IXON | IXOFF;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    const StandardBaud* standard = std::find_if(std::begin(kStandardBauds), std::end(kStandardBauds),
                                                [&](const StandardBaud& b) { return b.baud == s.baud; });
    if (standard != std::end(kStandardBauds)) {
        cfsetispeed(&tio, standard->code);
        cfsetospeed(&tio, standard->code);
    }
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        error = errno == EINVAL ? "the driver refuses these settings" : std::strerror(errno);
        return false;
    }
    if (standard == std::end(kStandardBauds) && !SetCustomBaud(fd, s.baud, error)) return false;
    // tcsetattr succeeds when any one setting took: read them back.
    termios got{};
    if (tcgetattr(fd, &got) == 0 && standard != std::end(kStandardBauds) && cfgetospeed(&got) != standard->code) {
        error = "the driver refuses " + std::to_string(s.baud) + " baud";
        return false;
    }
    if (tcgetattr(fd, &got) == 0 && (got.c_cflag & CSIZE) != (tio.c_cflag & CSIZE)) {
        error = "the driver refuses " + std::to_string(s.data_bits) + " data bits";
        return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<Link> OpenSerialLink(const std::string& port, const SerialSettings& settings, std::string& error) {
    const int fd = open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = OpenError(port, errno);
        return nullptr;
    }
    if (!isatty(fd)) {
        close(fd);
        error = "not a serial port";
        return nullptr;
    }
    // Exclusive: a second program on the same port would take half of each
    // answer. flock keeps out programs that lock too; TIOCEXCL the others.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        const int e = errno;
        close(fd);
        error = e == EWOULDBLOCK ? OpenError(port, EBUSY) : std::strerror(e);
        return nullptr;
    }
    if (!ApplySettings(fd, settings, error)) {
        close(fd);
        return nullptr;
    }
    tcflush(fd, TCIOFLUSH);
    return std::make_unique<SerialLink>(fd, port);
}

std::vector<PortInfo> ListSerialPorts() {
    // by-id names, which stay the same from plug to plug, for the devices they name.
    std::map<std::string, std::string> by_id;
    const char* kById = "/dev/serial/by-id";
    if (DIR* dir = opendir(kById)) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] == '.') continue;
            const std::string link = std::string(kById) + "/" + entry->d_name;
            if (char* target = realpath(link.c_str(), nullptr)) {
                by_id[target] = link;
                std::free(target);
            }
        }
        closedir(dir);
    }
    std::vector<PortInfo> ports;
    if (DIR* dir = opendir("/dev")) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            const bool usb = name.rfind("ttyUSB", 0) == 0 || name.rfind("ttyACM", 0) == 0 ||
                             name.rfind("ttyAMA", 0) == 0;
            bool uart = false;
            if (name.rfind("ttyS", 0) == 0) {
                // The kernel makes ttyS0-31 whether or not a UART is there;
                // its type is 0 when none is.
                std::ifstream type("/sys/class/tty/" + name + "/type");
                int value = 0;
                uart = static_cast<bool>(type >> value) && value != 0;
            }
            if (!usb && !uart) continue;
            const std::string path = "/dev/" + name;
            const auto id = by_id.find(path);
            ports.push_back({path, id == by_id.end() ? "" : id->second});
        }
        closedir(dir);
    }
    std::sort(ports.begin(), ports.end(), [](const PortInfo& a, const PortInfo& b) { return a.name < b.name; });
    return ports;
}
