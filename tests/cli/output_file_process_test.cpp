// Where -o FILE writes, for every command that writes files (quobrix array
// -o, quobrix crc --emit c -o): a device or a FIFO is written through and
// stays what it was, a link stays a link and a file of several names keeps
// them, a file keeps its mode and owner, what cannot be written is refused
// before any input is read, and no temporary file outlives a failure or a
// signal. POSIX files all: the Windows build under Wine is not asked.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "quobrix_process.h"
#include "temp_folder.h"

extern char** environ;

namespace {

// The commands that write files: the words before -o FILE.
const std::vector<std::vector<std::string>> kWriters = {
    {"array", "--text", "AB"},
    {"crc", "CRC-16/MODBUS", "--emit", "c"},
};

std::vector<std::string> WithOutput(std::vector<std::string> words, const std::string& path) {
    words.insert(words.end(), {"-o", path});
    return words;
}

// What the command prints on standard output without -o.
std::string Shown(const std::vector<std::string>& writer) {
    const ProcessResult r = Quobrix(writer);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    return r.out;
}

// The names in a folder, sorted: a temporary file left behind shows here.
std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

struct stat Lstat(const std::string& path) {
    struct stat status = {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path << ": " << std::strerror(errno);
    return status;
}

std::string LinkText(const std::string& path) {
    char text[4096];
    const ssize_t n = readlink(path.c_str(), text, sizeof text);
    return n < 0 ? std::string() : std::string(text, static_cast<std::size_t>(n));
}

mode_t CurrentUmask() {
    const mode_t mask = umask(0);
    umask(mask);
    return mask;
}

const bool kRoot = geteuid() == 0;

class OutputFile : public QuobrixCli {
protected:
    void SetUp() override {
        QuobrixCli::SetUp();
        if (IsSkipped()) return;
        if (kCommand.size() > 1) GTEST_SKIP() << "devices, FIFOs and links are this system's, not the launcher's";
    }
};

// A device of the system's own (1, 3 /dev/null; 1, 7 /dev/full): as root,
// a node of it in `folder`, so that a program that replaced the node would
// replace only that one; else the system's, which the program cannot
// replace.
std::string Device(const TempFolder& folder, const char* name, unsigned minor) {
    if (!kRoot) return std::string("/dev/") + name;
    const std::string path = folder.Path(name);
    EXPECT_EQ(mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor)), 0) << std::strerror(errno);
    return path;
}

// /dev/null takes everything, /dev/full nothing: both stay devices, and
// nothing is left beside them.
TEST_F(OutputFile, DevicesAreWrittenThrough) {
    for (const auto& writer : kWriters) {
        TempFolder folder;
        const std::string null = Device(folder, "null", 3), full = Device(folder, "full", 7);
        ExpectReport(Quobrix(WithOutput(writer, null)), "");
        const ProcessResult r = Quobrix(WithOutput(writer, full));
        EXPECT_EQ(r.exit_code, 2) << writer[0];
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "quobrix: cannot write " + full + ": No space left on device\n");
        for (const std::string& device : {null, full}) {
            const struct stat status = Lstat(device);
            EXPECT_TRUE(S_ISCHR(status.st_mode)) << device;
        }
        EXPECT_EQ(Names(folder.Path("")), kRoot ? (std::vector<std::string>{"full", "null"}) : std::vector<std::string>{});
    }
}

// A FIFO with a reader gets the bytes and stays a FIFO.
TEST_F(OutputFile, FifoIsWrittenThrough) {
    for (const auto& writer : kWriters) {
        TempFolder folder;
        const std::string fifo = folder.Path("fifo");
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0) << std::strerror(errno);
        // The reader is there before the writer comes, so the writer never
        // waits; the output is far smaller than the pipe's buffer.
        const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(reader, 0) << std::strerror(errno);
        ExpectReport(Quobrix(WithOutput(writer, fifo)), "");
        std::string got;
        char block[4096];
        ssize_t n = 0;
        while ((n = read(reader, block, sizeof block)) > 0) got.append(block, static_cast<std::size_t>(n));
        close(reader);
        EXPECT_EQ(got, Shown(writer)) << writer[0];
        EXPECT_TRUE(S_ISFIFO(Lstat(fifo).st_mode));
        EXPECT_EQ(Names(folder.Path("")), std::vector<std::string>{"fifo"});
    }
}

// A symbolic link stays, and the file it leads to (or would lead to) is
// written: relative to the link's own folder, through a chain of links, and
// a link to nothing makes the file. A file of several names keeps them all.
TEST_F(OutputFile, LinksStayAndFilesKeepTheirNames) {
    for (const auto& writer : kWriters) {
        TempFolder folder;
        const std::string shown = Shown(writer);
        std::filesystem::create_directory(folder.Path("sub"));
        folder.Write("real.c", "old");
        ASSERT_EQ(symlink("../real.c", folder.Path("sub/link.c").c_str()), 0);
        ASSERT_EQ(symlink(folder.Path("sub/link.c").c_str(), folder.Path("chain.c").c_str()), 0);
        ASSERT_EQ(symlink("made.c", folder.Path("dangling.c").c_str()), 0);
        folder.Write("one.c", "old");
        ASSERT_EQ(link(folder.Path("one.c").c_str(), folder.Path("two.c").c_str()), 0);
        const ino_t inode = Lstat(folder.Path("one.c")).st_ino;

        ExpectReport(Quobrix(WithOutput(writer, folder.Path("sub/link.c"))), "");
        EXPECT_EQ(LinkText(folder.Path("sub/link.c")), "../real.c");
        EXPECT_EQ(folder.Read("real.c"), shown);

        folder.Write("real.c", "old");
        ExpectReport(Quobrix(WithOutput(writer, folder.Path("chain.c"))), "");
        EXPECT_EQ(LinkText(folder.Path("chain.c")), folder.Path("sub/link.c"));
        EXPECT_EQ(LinkText(folder.Path("sub/link.c")), "../real.c");
        EXPECT_EQ(folder.Read("real.c"), shown);

        ExpectReport(Quobrix(WithOutput(writer, folder.Path("dangling.c"))), "");
        EXPECT_EQ(LinkText(folder.Path("dangling.c")), "made.c");
        EXPECT_EQ(folder.Read("made.c"), shown);
        EXPECT_EQ(Lstat(folder.Path("made.c")).st_mode & 07777, 0666 & ~CurrentUmask());

        ExpectReport(Quobrix(WithOutput(writer, folder.Path("one.c"))), "");
        EXPECT_EQ(folder.Read("one.c"), shown);
        EXPECT_EQ(folder.Read("two.c"), shown);
        EXPECT_EQ(Lstat(folder.Path("one.c")).st_ino, inode);
        EXPECT_EQ(Lstat(folder.Path("two.c")).st_nlink, 2u);

        EXPECT_EQ(Names(folder.Path("")),
                  (std::vector<std::string>{"chain.c", "dangling.c", "made.c", "one.c", "real.c", "sub", "two.c"}));
        EXPECT_EQ(Names(folder.Path("sub")), std::vector<std::string>{"link.c"});
    }
}

// A file that was there keeps its mode, however narrow or wide, and (as
// root, who may give it) its owner and group; a new file gets 0666 less the
// umask, as the shell's > gives it.
TEST_F(OutputFile, FilesKeepTheirModeAndOwner) {
    const mode_t kModes[] = {0600, 0640, 0604, 0755, 0700, 0660};
    for (const auto& writer : kWriters) {
        TempFolder folder;
        const std::string shown = Shown(writer);
        for (const mode_t mode : kModes) {
            const std::string path = folder.Write("kept.c", "old");
            ASSERT_EQ(chmod(path.c_str(), mode), 0);
            ExpectReport(Quobrix(WithOutput(writer, path)), "");
            EXPECT_EQ(folder.Read("kept.c"), shown);
            EXPECT_EQ(Lstat(path).st_mode & 07777, mode) << std::oct << mode;
        }
        if (kRoot) {
            const std::string path = folder.Write("owned.c", "old");
            ASSERT_EQ(chown(path.c_str(), 1234, 5678), 0);
            ExpectReport(Quobrix(WithOutput(writer, path)), "");
            EXPECT_EQ(Lstat(path).st_uid, 1234u);
            EXPECT_EQ(Lstat(path).st_gid, 5678u);
        }
        const mode_t was = umask(027);
        ExpectReport(Quobrix(WithOutput(writer, folder.Path("new.c"))), "");
        umask(was);
        EXPECT_EQ(Lstat(folder.Path("new.c")).st_mode & 07777, 0640u);
        EXPECT_EQ(Names(folder.Path("")).size(), kRoot ? 3u : 2u);
    }
}

// What cannot be written is refused with its reason before any input is
// read, and nothing is left: a directory, a socket; unless the program runs
// as root, whom neither stops, a file the user may not write and a folder
// the user may not write in.
TEST_F(OutputFile, RefusedBeforeTheInputIsRead) {
    TempFolder folder;
    std::filesystem::create_directory(folder.Path("dir"));
    const std::string socket_path = folder.Path("sock");
    const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socket_path.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socket_path.c_str(), socket_path.size() + 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << std::strerror(errno);
    const std::string read_only = folder.Write("read-only.c", "kept");
    ASSERT_EQ(chmod(read_only.c_str(), 0444), 0);
    std::filesystem::create_directory(folder.Path("closed"));
    ASSERT_EQ(chmod(folder.Path("closed").c_str(), 0555), 0);
    const std::vector<std::string> before = Names(folder.Path(""));

    struct Case {
        std::string path, reason;
        bool root_too;
    };
    const Case kCases[] = {
        {folder.Path("dir"), "Is a directory", true},
        {socket_path, "it is a socket, not a file", true},
        {read_only, "Permission denied", false},
        {folder.Path("closed/new.c"), "Permission denied", false},
    };
    constexpr unsigned long long kEndless = 8ull << 20;
    for (const Case& c : kCases) {
        if (kRoot && !c.root_too) continue;
        const std::string line = "quobrix: cannot write " + c.path + ": " + c.reason + "\n";
        const ProcessResult endless = RunProcessOnEndlessInput(
            kCommand.front(), LauncherArgs({"array", "-o", c.path}), "0123456789abcdef", kEndless);
        EXPECT_EQ(endless.exit_code, 2) << c.path;
        EXPECT_EQ(endless.err, line);
        EXPECT_LT(endless.bytes_fed, kEndless) << c.path << ": the input was read before the refusal";
        for (const auto& writer : kWriters) {
            const ProcessResult r = Quobrix(WithOutput(writer, c.path));
            EXPECT_EQ(r.exit_code, 2) << writer[0];
            EXPECT_EQ(r.out, "");
            EXPECT_EQ(r.err, line);
        }
    }
    close(listener);
    EXPECT_TRUE(S_ISSOCK(Lstat(socket_path).st_mode));
    EXPECT_EQ(folder.Read("read-only.c"), "kept");
    EXPECT_EQ(Names(folder.Path("")), before);
    EXPECT_EQ(Names(folder.Path("dir")), std::vector<std::string>{});
    EXPECT_EQ(Names(folder.Path("closed")), std::vector<std::string>{});
    chmod(folder.Path("closed").c_str(), 0755);
}

// Ctrl+C, kill or a closed terminal while a large output is written: the
// temporary file goes with the process, the file that was there stays as
// it was, and the process still ends by the signal (a shell's loop sees it).
TEST_F(OutputFile, SignalsLeaveNoTemporaryFile) {
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
        TempFolder folder;
        const std::string target = folder.Write("out.c", "kept");
        // Endless input: the write is still going when the signal comes.
        const std::vector<std::string> args = LauncherArgs({"array", "/dev/zero", "-o", target});
        std::vector<char*> argv = {const_cast<char*>(kCommand.front().c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&defaults, number);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, argv[0], &files, &attributes, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&files);
        posix_spawnattr_destroy(&attributes);

        // Until the temporary file holds bytes, or a minute has gone.
        bool writing = false;
        const timespec pause = {0, 10 * 1000 * 1000};
        for (int poll = 0; poll < 6000 && !writing; ++poll) {
            for (const std::string& name : Names(folder.Path(""))) {
                struct stat status;
                writing = writing || (name != "out.c" && stat(folder.Path(name).c_str(), &status) == 0 &&
                                      status.st_size > 0);
            }
            if (!writing) nanosleep(&pause, nullptr);
        }
        EXPECT_TRUE(writing) << "no temporary file appeared";
        kill(pid, signal_number);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal_number) << strsignal(signal_number);
        EXPECT_EQ(Names(folder.Path("")), std::vector<std::string>{"out.c"}) << strsignal(signal_number);
        EXPECT_EQ(folder.Read("out.c"), "kept");
    }
}

}  // namespace
