// quobrix: runs one tool of the main dialog from the command line.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include "cli/utf16.h"
#define QUOBRIX_ISATTY _isatty
#define QUOBRIX_FILENO _fileno
#else
#include <unistd.h>
#define QUOBRIX_ISATTY isatty
#define QUOBRIX_FILENO fileno
#endif

namespace {

// In blocks: a character at a time through the C++ streams took longer than
// the whole tool on a 20 KiB input. No <iostream> either, whose start-up
// constructs the standard streams and their locale in every run.
std::string ReadStandardInput() {
    std::string input;
    char block[1 << 16];
    std::size_t n;
    while ((n = std::fread(block, 1, sizeof block, stdin)) > 0) input.append(block, n);
    return input;
}

int Run(const std::vector<std::string>& args, bool arguments_are_unicode) {
    CliEnvironment env;
    env.read_stdin = ReadStandardInput;
    env.stdout_is_terminal = QUOBRIX_ISATTY(QUOBRIX_FILENO(stdout)) != 0;
    env.arguments_are_unicode = arguments_are_unicode;
    std::string out, err;
    const int code = RunCli(args, env, out, err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return code;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    // The bytes go through as they are: no CR LF translation on any stream.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::u16string utf16(argv[i], argv[i] + std::char_traits<wchar_t>::length(argv[i]));
        std::string utf8;
        if (!Utf16ToUtf8(utf16, utf8)) {
            std::fputs("quobrix: argument is not valid Unicode text\n", stderr);
            return kExitUsage;
        }
        args.push_back(utf8);
    }
    return Run(args, true);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc), false); }
#endif
