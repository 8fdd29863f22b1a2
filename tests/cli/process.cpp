#include "process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
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
