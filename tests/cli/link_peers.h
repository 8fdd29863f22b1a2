// What the process tests of the wire share: bounded waits, a pty pair as
// the cable, a program run in the background with its output in files, and
// a loopback listener of the test's own. Every wait is for a condition,
// bounded.
#pragma once

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "quobrix_process.h"

extern char** environ;

namespace link_peers {

using Clock = std::chrono::steady_clock;

// The bound of every wait: long enough for a loaded machine, and reached
// only when something is wrong.
constexpr auto kBound = std::chrono::seconds(20);

inline std::string Bytes(std::initializer_list<unsigned> values) {
    std::string bytes;
    for (unsigned v : values) bytes += static_cast<char>(v);
    return bytes;
}

// Waits until `condition` holds or the bound passes; whether it held.
inline bool WaitFor(const std::function<bool()>& condition) {
    const auto end = Clock::now() + kBound;
    while (!condition()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline void CloseOnExec(int fd) { fcntl(fd, F_SETFD, fcntl(fd, F_GETFD) | FD_CLOEXEC); }

// The cable: a pseudo-terminal whose slave the program opens by name and
// whose master the test reads and writes as the device would.
class PtyCable {
public:
    PtyCable() {
        char name[256];
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) return;
        // Not handed to the programs the test starts: a master they held
        // would keep the cable in after the test pulls it.
        CloseOnExec(master_);
        CloseOnExec(slave_);
        termios raw{};
        tcgetattr(slave_, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
        name_ = name;
    }
    ~PtyCable() {
        Pull();
        if (slave_ >= 0) close(slave_);
    }
    const std::string& name() const { return name_; }
    int slave() const { return slave_; }

    // Reads until `bytes` holds at least `count` bytes, within the bound.
    bool ReadAtLeast(std::size_t count, std::string& bytes) {
        const auto end = Clock::now() + kBound;
        while (bytes.size() < count && Clock::now() < end) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            char buffer[65536];
            const ssize_t n = read(master_, buffer, sizeof buffer);
            if (n <= 0) return false;
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        return bytes.size() >= count;
    }
    void Write(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    }
    // Until the program has read everything written to it.
    bool Drained() {
        return WaitFor([this] {
            int queued = 0;
            return ioctl(slave_, FIONREAD, &queued) == 0 && queued == 0;
        });
    }
    // The cable pulled: the master closed, so the slave hangs up.
    void Pull() {
        if (master_ >= 0) close(master_);
        master_ = -1;
    }

private:
    int master_ = -1, slave_ = -1;
    std::string name_;
};

// A peer's work on a thread beside the program's run, joined before the
// test looks at the results.
class Peer {
public:
    explicit Peer(std::function<void()> work) : thread_(std::move(work)) {}
    ~Peer() { thread_.join(); }

private:
    std::thread thread_;
};

// A program started in the background, its output in files: quobrix with
// `args` (through the launcher, if any), or with kProgram, `args` as they
// are, the program first.
class Background {
public:
    enum Kind { kQuobrix, kProgram };
    Background(const std::vector<std::string>& args, const std::string& out, const std::string& err,
               Kind kind = kQuobrix) {
        int in[2];
        if (pipe(in) != 0) return;
        CloseOnExec(in[1]);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_adddup2(&files, in[0], 0);
        posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<std::string> all = args;
        if (kind == kQuobrix) {
            all = LauncherArgs(args);
            all.insert(all.begin(), kCommand.front());
        }
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &files, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&files);
        close(in[0]);
        stdin_ = in[1];
    }
    ~Background() {
        if (stdin_ >= 0) close(stdin_);
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    void Signal(int signal) { kill(pid_, signal); }
    // A line on its standard input.
    void Type(const std::string& text) {
        if (write(stdin_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) ADD_FAILURE() << "stdin";
    }
    // Standard input ends.
    void EndInput() {
        if (stdin_ >= 0) close(stdin_);
        stdin_ = -1;
    }
    // The exit status, or -1 when it did not exit within the bound.
    int Wait() {
        int status = 0;
        if (!WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; })) return -1;
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    bool exited_ = false;
};

// A pty pair from socat: the cable between two programs, each opening one
// end by name. Ended with the test.
class SocatPair {
public:
    SocatPair(const std::string& a, const std::string& b) {
        std::string link_a = "pty,rawer,link=" + a, link_b = "pty,rawer,link=" + b;
        std::vector<char*> argv = {const_cast<char*>("socat"), link_a.data(), link_b.data(), nullptr};
        if (posix_spawn(&pid_, "/usr/bin/socat", nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
        ready_ = pid_ > 0 && WaitFor([&] { return access(a.c_str(), F_OK) == 0 && access(b.c_str(), F_OK) == 0; });
    }
    ~SocatPair() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    SocatPair(const SocatPair&) = delete;
    SocatPair& operator=(const SocatPair&) = delete;
    // Both ends are there.
    bool ready() const { return ready_; }
    static bool Installed() { return access("/usr/bin/socat", X_OK) == 0; }

private:
    pid_t pid_ = -1;
    bool ready_ = false;
};

// A listening socket of the test's own on the loopback, at a port the
// system chose.
class TestListener {
public:
    TestListener() {
        fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (bind(fd_, reinterpret_cast<sockaddr*>(&address), length) == 0 && listen(fd_, 1) == 0 &&
            getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
            port_ = ntohs(address.sin_port);
        }
    }
    ~TestListener() { close(fd_); }
    std::string Target() const { return "127.0.0.1:" + std::to_string(port_); }
    int Accept() {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(std::chrono::milliseconds(kBound).count())) <= 0) return -1;
        return accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    }

private:
    int fd_ = -1;
    unsigned port_ = 0;
};

inline bool ReadAtLeast(int fd, std::size_t count, std::string& bytes) {
    const auto end = Clock::now() + kBound;
    while (bytes.size() < count && Clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0) continue;
        char buffer[4096];
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return false;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes.size() >= count;
}

}  // namespace link_peers
