#include "process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

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

}  // namespace

// The streams go through files, not pipes: no deadlock however much is written.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input) {
    char dir_template[] = "/tmp/quobrix-cli-test.XXXXXX";
    const char* dir = mkdtemp(dir_template);
    if (dir == nullptr) throw std::runtime_error("mkdtemp failed");
    const std::string in_path = std::string(dir) + "/in", out_path = std::string(dir) + "/out",
                      err_path = std::string(dir) + "/err";
    std::ofstream(in_path, std::ios::binary) << input;

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, in_path.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&files, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    ProcessResult result;
    pid_t pid = 0;
    const int spawn_error = posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawn_error == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
        result.out = ReadFile(out_path);
        result.err = ReadFile(err_path);
    }
    for (const std::string& path : {in_path, out_path, err_path}) unlink(path.c_str());
    rmdir(dir);
    if (spawn_error != 0) throw std::runtime_error("cannot start " + program);
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
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawn_error = posix_spawn(&pid, program.c_str(), &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    close(slave);
    ProcessResult result;
    if (spawn_error == 0) {
        // Read until every holder of the terminal's other end has closed it
        // (EIO) or nothing came for a minute; the program is small and quick.
        char buffer[4096];
        pollfd readable{master, POLLIN, 0};
        while (poll(&readable, 1, 60000) > 0) {
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0) break;
            result.out.append(buffer, static_cast<size_t>(n));
        }
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
    }
    close(master);
    if (spawn_error != 0) throw std::runtime_error("cannot start " + program);
    return result;
}
