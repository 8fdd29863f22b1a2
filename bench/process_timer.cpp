// Times whole processes, start to exit, with standard input from a file and
// standard output thrown away:
//     process_timer [--any-status] RUNS INPUT_FILE -- COMMAND [ARGS...] [-- COMMAND [ARGS...]]...
// A command must exit with status 0, or with --any-status any status (a
// search that finds nothing exits 1, with a note on standard error, which
// is then thrown away too); one killed by a signal always fails.
// The commands take turns, run by run, so that a change in the machine's load
// falls on all of them alike. Prints one JSON array with each command's
// median, 10th and 90th percentile, minimum and maximum in milliseconds.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int kWarmUpRuns = 3;  // page cache and dynamic loader caches warm

struct Command {
    std::vector<std::string> args;
    std::vector<double> times_ms;
};

// Runs `command` once; the time in milliseconds, or a negative value when it
// could not start or did not exit with status 0.
double RunOnce(const Command& command, const char* input_file, bool any_status) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input_file, O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (any_status) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const std::string& arg : command.args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    int status = 0;
    const bool exited = spawned == 0 && waitpid(pid, &status, 0) == pid;
    const auto end = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&actions);
    if (!exited || !WIFEXITED(status) || (!any_status && WEXITSTATUS(status) != 0)) return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// The value at fraction `q` of the sorted `times`, between neighbours.
double Quantile(const std::vector<double>& sorted, double q) {
    const double at = q * static_cast<double>(sorted.size() - 1);
    const size_t low = static_cast<size_t>(at);
    const size_t high = std::min(low + 1, sorted.size() - 1);
    return sorted[low] + (sorted[high] - sorted[low]) * (at - static_cast<double>(low));
}

std::string JsonString(const std::string& text) {
    std::string quoted = "\"";
    for (char ch : text) {
        if (ch == '"' || ch == '\\') quoted += '\\';
        quoted += ch;
    }
    return quoted + "\"";
}

std::string Joined(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args) text += (text.empty() ? "" : " ") + arg;
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const bool any_status = argc > 1 && std::string(argv[1]) == "--any-status";
    if (any_status) {
        --argc;
        ++argv;
    }
    if (argc < 5 || std::string(argv[3]) != "--") {
        std::fprintf(stderr,
                     "usage: process_timer [--any-status] RUNS INPUT_FILE -- COMMAND [ARGS...] [-- COMMAND...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const char* input_file = argv[2];
    std::vector<Command> commands;
    for (int i = 3; i < argc; ++i) {
        if (std::string(argv[i]) == "--") {
            commands.emplace_back();
        } else {
            commands.back().args.push_back(argv[i]);
        }
    }
    for (const Command& command : commands) {
        if (command.args.empty() || runs < 1) {
            std::fprintf(stderr, "process_timer: an empty command, or no runs\n");
            return 2;
        }
    }

    for (int run = -kWarmUpRuns; run < runs; ++run) {
        for (Command& command : commands) {
            const double ms = RunOnce(command, input_file, any_status);
            if (ms < 0) {
                std::fprintf(stderr, "process_timer: '%s' failed\n", Joined(command.args).c_str());
                return 1;
            }
            if (run >= 0) command.times_ms.push_back(ms);
        }
    }

    std::printf("[\n");
    for (size_t i = 0; i < commands.size(); ++i) {
        std::vector<double> t = commands[i].times_ms;
        std::sort(t.begin(), t.end());
        std::printf("  {\"command\": %s, \"runs\": %d, \"median_ms\": %.4f, \"p10_ms\": %.4f, "
                    "\"p90_ms\": %.4f, \"min_ms\": %.4f, \"max_ms\": %.4f}%s\n",
                    JsonString(Joined(commands[i].args)).c_str(), runs, Quantile(t, 0.5),
                    Quantile(t, 0.1), Quantile(t, 0.9), t.front(), t.back(),
                    i + 1 < commands.size() ? "," : "");
    }
    std::printf("]\n");
    return 0;
}
