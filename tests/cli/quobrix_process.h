// The quobrix program under test as a process, shared by the process tests.
//
// QUOBRIX_CLI_COMMAND, when set, runs another build of the program: a launcher
// and its arguments separated by spaces, the program itself last (say, Wine and
// the Windows build). Both builds must pass the same tests byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "process.h"

inline std::vector<std::string> QuobrixCommand() {
    const char* command = std::getenv("QUOBRIX_CLI_COMMAND");
    std::istringstream stream(command != nullptr ? command : "");
    const std::vector<std::string> words{std::istream_iterator<std::string>(stream),
                                         std::istream_iterator<std::string>()};
    return words.empty() ? std::vector<std::string>{QUOBRIX_CLI_PATH} : words;
}

inline const std::vector<std::string> kCommand = QuobrixCommand();

// Windows hands a program its arguments as Unicode text, not bytes: Wine
// decodes them from UTF-8, a byte that is no UTF-8 becoming U+FFFD.
inline const bool kArgumentsAreUnicode = std::getenv("QUOBRIX_CLI_ARGUMENTS_ARE_UNICODE") != nullptr;

// The launcher's words, then `args`.
inline std::vector<std::string> LauncherArgs(const std::vector<std::string>& args) {
    std::vector<std::string> launcher_args(kCommand.begin() + 1, kCommand.end());
    launcher_args.insert(launcher_args.end(), args.begin(), args.end());
    return launcher_args;
}

inline ProcessResult Quobrix(const std::vector<std::string>& args, const std::string& input = "") {
    return RunProcess(kCommand.front(), LauncherArgs(args), input);
}

// The sanitizers' own memory is no measure of the program's.
#ifdef QUOBRIX_CLI_SANITIZED
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// A build that was not made (the Windows one, say) is skipped, not failed.
class QuobrixCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(kCommand.back())) {
            GTEST_SKIP() << kCommand.back() << " does not exist: build it to run these tests with it";
        }
    }
};

inline void ExpectReport(const ProcessResult& r, const std::string& report) {
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, report);
    EXPECT_EQ(r.err, "");
}
