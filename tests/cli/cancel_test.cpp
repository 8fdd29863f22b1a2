// A run told to stop (CliEnvironment::cancelled, the window's 取消), in-process:
// it ends promptly as an error, prints nothing, and a file it was writing
// (-o) is not kept, while what the name stood for stays as it was. Asked and
// never told to stop, a run prints the very bytes it prints unasked.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/file_stream.h"
#include "cli/output_file.h"
#include "cli/temp_folder.h"

namespace {

struct AskedRun {
    int code = -1;
    std::string out, err;  // what the run printed: as it went, then at its end
    int asked = 0;             // how often the run asked whether to stop
    std::uint64_t last_done = 0, last_total = 0;
};

// `args` with standard output written as it comes, and a yes to "stop?" from
// the `stop_at`-th question on (never when negative).
AskedRun RunAsked(const std::vector<std::string>& args, int stop_at) {
    AskedRun run;
    CliEnvironment env;
    env.stream_file = [](const std::string& path, const ConsumeBlock& consume, std::string& error) {
        return StreamFile(path, consume, error);
    };
    env.write_file = WriteOutputFile;
    std::string streamed;
    env.write_stdout = [&streamed](const std::string& bytes) {
        streamed += bytes;
        return true;
    };
    env.cancelled = [&run, stop_at] {
        const int question = run.asked++;
        return stop_at >= 0 && question >= stop_at;
    };
    env.progress = [&run](std::uint64_t done, std::uint64_t total) {
        EXPECT_GE(done, run.last_done) << "progress went back";
        EXPECT_LE(done, total);
        run.last_done = done;
        run.last_total = total;
    };
    std::string at_end;
    run.code = RunCli(args, env, at_end, run.err);
    run.out = streamed + at_end;
    return run;
}

// Each way quobrix random draws: written as drawn, held unique, held and
// sorted (the radix sort), floats sorted, bytes.
const std::vector<std::vector<std::string>> kLongDraws = {
    {"random", "--count", "1000000", "--range", "1..1000000", "--seed", "1"},
    {"random", "--count", "1000000", "--range", "0..0xFFFFFFFFFFFFFFFF", "--unique", "--seed", "2"},
    {"random", "--count", "1000000", "--range", "-5000..5000", "--sort", "--seed", "3"},
    {"random", "--count", "1000000", "--range", "-9223372036854775808..9223372036854775807", "--sort",
     "--format", "c", "--seed", "4"},
    {"random", "--count", "300000", "--float", "-1..1", "--sort", "--seed", "5"},
    {"random", "--count", "1000000", "--bytes", "--seed", "6"},
};

TEST(CliCancel, ALongDrawStopsAsAnErrorAndPrintsNothing) {
    for (const std::vector<std::string>& args : kLongDraws) {
        const std::string shown = args[2] + " " + args[4];
        for (const int stop_at : {0, 3}) {
            const AskedRun run = RunAsked(args, stop_at);
            EXPECT_EQ(run.code, 2) << shown;
            EXPECT_EQ(run.err, "quobrix: cancelled\n") << shown;
            // Promptly: within a block of the question answered yes, before
            // a block of output went out.
            EXPECT_LE(run.asked, stop_at + 2) << shown;
            EXPECT_EQ(run.out, "") << shown;
        }
    }
}

// Asked throughout and never told to stop: the same bytes as unasked, with
// progress up to the whole.
TEST(CliCancel, NeverToldToStopTheOutputIsTheSame) {
    for (const std::vector<std::string>& args : kLongDraws) {
        const std::string shown = args[2] + " " + args[4];
        std::string expected, err;
        ASSERT_EQ(RunCli(args, CliEnvironment(), expected, err), 0) << err;
        const AskedRun run = RunAsked(args, -1);
        EXPECT_EQ(run.code, 0) << shown << run.err;
        EXPECT_TRUE(run.out == expected) << shown;
        EXPECT_GT(run.asked, 0) << shown;
        EXPECT_GT(run.last_total, 0u) << shown;
        EXPECT_GT(run.last_done, run.last_total * 9 / 10) << shown;
    }
}

// quobrix array -o FILE stopped midway: no FILE where there was none, the
// old one as it was where there was one, and nothing left beside it.
TEST(CliCancel, AStoppedFileIsNotKept) {
    TempFolder folder;
    const std::string input = folder.Write("input.bin", std::string(8u << 20, '\x5A'));
    for (const bool was_there : {false, true}) {
        const std::string output = folder.Path("out.c");
        if (was_there) folder.Write("out.c", "old");
        const AskedRun run = RunAsked({"array", "-o", output, "--", input}, 2);
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.err, "quobrix: cancelled\n");
        if (was_there) {
            EXPECT_EQ(folder.Read("out.c"), "old");
        } else {
            EXPECT_FALSE(std::filesystem::exists(output));
        }
        std::size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path(""))) files += entry.is_regular_file();
        EXPECT_EQ(files, was_there ? 2u : 1u);
    }
}

}  // namespace
