// quobrix: runs one tool of the main dialog from the command line.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/environment.h"
#include "cli/file_stream.h"
#include "cli/messages.h"
#include "cli/output_file.h"
#include "i18n/translate.h"

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
// the whole tool on a 20 KiB input. No more than `max_bytes`, whatever is
// there: the rest could not be used.
bool ReadStandardInput(std::size_t max_bytes, std::string& bytes, std::string& error) {
    char block[1 << 16];
    while (bytes.size() < max_bytes) {
        const std::size_t wanted = std::min(sizeof block, max_bytes - bytes.size());
        errno = 0;
        const std::size_t n = std::fread(block, 1, wanted, stdin);
        bytes.append(block, n);
        if (n == wanted) continue;
        if (std::ferror(stdin)) {
            error = std::strerror(errno != 0 ? errno : EIO);
            return false;
        }
        break;
    }
    return true;
}

bool StreamStandardInput(const ConsumeBlock& consume, std::string& error) {
    return StreamBlocks(stdin, consume, error);
}

bool OpenAndStreamFile(const std::string& path, const ConsumeBlock& consume, std::string& error) {
    return StreamFile(path, consume, error);
}

// Writes `bytes` and flushes; false with errno set when the stream failed.
bool WriteAll(std::FILE* stream, const std::string& bytes) {
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    return std::fflush(stream) == 0 && written && !std::ferror(stream);
}

// Closes a standard stream as GNU coreutils do: a stream that was never
// written to may have been closed from the start (EBADF).
bool CloseStream(std::FILE* stream, bool written) {
    errno = 0;
    return std::fclose(stream) == 0 || (!written && errno == EBADF);
}

// Every failed write is an error, exit 2: a report that did not arrive is no
// report. `wrote_before`: standard output already took part of it.
int Finish(int code, const std::string& out, std::string& err, bool wrote_before = false) {
    if (!WriteAll(stdout, out) || !CloseStream(stdout, wrote_before || !out.empty())) {
        const int error = errno != 0 ? errno : EIO;
        err += kPrefix + "cannot write standard output: " + std::strerror(error) + "\n";
        code = kExitUsage;
    }
    if (!WriteAll(stderr, err) || !CloseStream(stderr, !err.empty())) code = kExitUsage;
    return code;
}

int Run(const std::vector<std::string>& args, bool arguments_are_unicode) {
    // Messages in the language the locale's variables ask for, as GNU tools
    // choose it: English by default and under LC_ALL=C, for scripts.
    i18n::SetLanguage(i18n::LanguageFromVariables([](const char* name) { return std::getenv(name); }));
    CliEnvironment env;
    env.read_stdin = ReadStandardInput;
    env.stream_stdin = StreamStandardInput;
    env.stream_file = OpenAndStreamFile;
    env.write_file = WriteOutputFile;
    bool wrote_stdout = false;
    env.write_stdout = [&wrote_stdout](const std::string& bytes) {
        wrote_stdout = true;
        return WriteAll(stdout, bytes);
    };
    env.write_stderr = [](const std::string& bytes) {
        WriteAll(stderr, bytes);
        std::fflush(stderr);
    };
    env.stdout_is_terminal = QUOBRIX_ISATTY(QUOBRIX_FILENO(stdout)) != 0;
    env.arguments_are_unicode = arguments_are_unicode;
    std::string out, err;
    const int code = RunCli(args, env, out, err);
    return Finish(code, out, err, wrote_stdout);
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
            std::string err = kPrefix + "argument is not valid Unicode text\n";
            Finish(kExitUsage, "", err);
            return kExitUsage;
        }
        args.push_back(utf8);
    }
    return Run(args, true);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc), false); }
#endif
