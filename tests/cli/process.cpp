#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A private folder for the streams' files, removed with what is in it.
class TempDir {
public:
    TempDir() {
        char dir_template[] = "/tmp/quobrix-cli-test.XXXXXX";
        if (mkdtemp(dir_template) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = dir_template;
    }
    ~TempDir() {
        for (const char* name : {"/in", "/out", "/err"}) unlink((path_ + name).c_str());
        rmdir(path_.c_str());
    }
    std::string File(const char* name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Starts the program with the given file actions. SIGPIPE is the default in
// the program whatever the test process does with it.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, posix_spawn_file_actions_t& files) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t pipe_signal;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &pipe_signal);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.c_str(), &files, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    if (error != 0) throw std::runtime_error("cannot start " + program);
    return pid;
}

void Wait(pid_t pid, ProcessResult& result) {
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    result.peak_rss_kib = usage.ru_maxrss;
}

}  // namespace

// The streams go through files, not pipes: no deadlock however much is written.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
    TempDir dir;
    std::ofstream(dir.File("in"), std::ios::binary) << input;
    StreamSetup streams;
    streams.stdin_path = dir.File("in");
    return RunProcessWithStreams(program, args, streams);
}

ProcessResult RunProcessWithStreams(const std::string& program, const std::vector<std::string>& args,
                                    const StreamSetup& streams) {
    TempDir dir;
    const std::string out_path = streams.stdout_path.empty() ? dir.File("out") : streams.stdout_path;
    const std::string err_path = streams.stderr_path.empty() ? dir.File("err") : streams.stderr_path;
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    if (streams.stdin_closed) {
        posix_spawn_file_actions_addclose(&files, 0);
    } else {
        const std::string in_path = streams.stdin_path.empty() ? "/dev/null" : streams.stdin_path;
        posix_spawn_file_actions_addopen(&files, 0, in_path.c_str(), O_RDONLY, 0);
    }
    if (streams.stdout_closed) {
        posix_spawn_file_actions_addclose(&files, 1);
    } else {
        posix_spawn_file_actions_addopen(&files, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    }
    posix_spawn_file_actions_addopen(&files, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ProcessResult result;
    Wait(Spawn(program, args, files), result);
    if (streams.stdout_path.empty() && !streams.stdout_closed) result.out = ReadFile(out_path);
    if (streams.stderr_path.empty()) result.err = ReadFile(err_path);
    return result;
}

ProcessResult RunProcessOnEndlessInput(const std::string& program, const std::vector<std::string>& args,
                                       const std::string& pattern, unsigned long long max_bytes) {
    TempDir dir;
    int pipe_ends[2];
    if (pipe2(pipe_ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, pipe_ends[0], 0);
    posix_spawn_file_actions_addopen(&files, 1, dir.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, dir.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const pid_t pid = Spawn(program, args, files);
    close(pipe_ends[0]);

    // The test process must outlive a reader that stops early.
    struct sigaction ignore {}, previous{};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
    std::string block;
    while (block.size() < (1 << 16)) block += pattern;
    ProcessResult result;
    while (result.bytes_fed < max_bytes) {
        const std::size_t wanted = static_cast<std::size_t>(
            std::min<unsigned long long>(block.size(), max_bytes - result.bytes_fed));
        const ssize_t n = write(pipe_ends[1], block.data(), wanted);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // EPIPE: the program has stopped reading
        result.bytes_fed += static_cast<unsigned long long>(n);
        // Go on where the write stopped: the stream stays the pattern repeated.
        const std::size_t written = static_cast<std::size_t>(n);
        if (written != block.size()) block = block.substr(written) + block.substr(0, written);
    }
    close(pipe_ends[1]);
    sigaction(SIGPIPE, &previous, nullptr);
    Wait(pid, result);
    result.out = ReadFile(dir.File("out"));
    result.err = ReadFile(dir.File("err"));
    return result;
}

ProcessResult RunProcessOnTerminal(const std::string& program, const std::vector<std::string>& args) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) throw std::runtime_error("openpty failed");
    termios mode{};
    tcgetattr(slave, &mode);
    cfmakeraw(&mode);  // no LF -> CR LF on the way out
    tcsetattr(slave, TCSANOW, &mode);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&files, slave, 1);
    posix_spawn_file_actions_adddup2(&files, slave, 2);
    posix_spawn_file_actions_addclose(&files, master);
    posix_spawn_file_actions_addclose(&files, slave);
    const pid_t pid = Spawn(program, args, files);
    close(slave);
    ProcessResult result;
    // Read until every holder of the terminal's other end has closed it
    // (EIO) or nothing came for a minute; the program is small and quick.
    char buffer[4096];
    pollfd readable{master, POLLIN, 0};
    while (poll(&readable, 1, 60000) > 0) {
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) break;
        result.out.append(buffer, static_cast<size_t>(n));
    }
    Wait(pid, result);
    close(master);
    return result;
}
