#include "cli/output_file.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <windows.h>

#include "cli/utf16.h"
#else
#include <unistd.h>
#endif

#include "cli/messages.h"

namespace {

// ---- The temporary file a signal must not leave behind -----------------

// A signal that ends the process while a temporary file exists would leave
// it behind (the size of the whole output, perhaps a gigabyte): the handler
// removes it, then lets the signal end the process as it would have.
#ifdef _WIN32
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGBREAK};
using SavedHandler = void (*)(int);
// The console runs the handler on a thread of its own while the program
// writes on: the file is opened with FILE_SHARE_DELETE, so it can go.
const wchar_t* volatile g_pending = nullptr;
#else
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
using SavedHandler = struct sigaction;
// Set and cleared only while the signals are blocked: the handler never
// sees it half changed.
const char* volatile g_pending = nullptr;
#endif
constexpr std::size_t kSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];

void RemovePendingAndEnd(int signal_number) {
#ifdef _WIN32
    const wchar_t* pending = g_pending;
    if (pending != nullptr) DeleteFileW(pending);
#else
    // unlink, signal and raise are async-signal-safe.
    const char* pending = g_pending;
    if (pending != nullptr) unlink(pending);
#endif
    std::signal(signal_number, SIG_DFL);
    // Blocked while the handler runs, the signal ends the process as soon
    // as the handler returns.
    std::raise(signal_number);
}

// While one lives, the ending signals remove the file it is told of. A
// signal the process ignores (nohup, a background job) stays ignored.
class PendingTemporary {
public:
    PendingTemporary() {
        for (std::size_t i = 0; i < kSignalCount; ++i) {
#ifdef _WIN32
            saved_[i] = std::signal(kEndingSignals[i], RemovePendingAndEnd);
            if (saved_[i] == SIG_IGN) std::signal(kEndingSignals[i], SIG_IGN);
#else
            struct sigaction action = {};
            action.sa_handler = RemovePendingAndEnd;
            sigemptyset(&action.sa_mask);
            sigaction(kEndingSignals[i], nullptr, &saved_[i]);
            if (saved_[i].sa_handler != SIG_IGN) sigaction(kEndingSignals[i], &action, nullptr);
#endif
        }
    }
    ~PendingTemporary() {
        Block();
        Track(nullptr);
        Unblock();
        for (std::size_t i = 0; i < kSignalCount; ++i) {
#ifdef _WIN32
            std::signal(kEndingSignals[i], saved_[i]);
#else
            sigaction(kEndingSignals[i], &saved_[i], nullptr);
#endif
        }
    }
    PendingTemporary(const PendingTemporary&) = delete;
    PendingTemporary& operator=(const PendingTemporary&) = delete;

    // No signal is handled from here to Unblock(): a file made, renamed or
    // removed meanwhile is known to the handler exactly when it exists.
    void Block() {
#ifndef _WIN32
        sigset_t ending;
        sigemptyset(&ending);
        for (const int number : kEndingSignals) sigaddset(&ending, number);
        pthread_sigmask(SIG_BLOCK, &ending, &unblocked_);
#endif
    }
    void Unblock() {
#ifndef _WIN32
        pthread_sigmask(SIG_SETMASK, &unblocked_, nullptr);
#endif
    }

    // The file to remove from now on; nullptr: none. Between Block() and
    // Unblock().
    void Track(const std::string* path) {
        g_pending = nullptr;
#ifdef _WIN32
        name_.clear();
        if (path != nullptr && Utf8ToWide(*path, name_)) g_pending = name_.c_str();
#else
        name_ = path != nullptr ? *path : std::string();
        if (path != nullptr) g_pending = name_.c_str();
#endif
    }

private:
    SavedHandler saved_[kSignalCount];
#ifdef _WIN32
    std::wstring name_;
#else
    std::string name_;
    sigset_t unblocked_;
#endif
};

// ---- What the name stands for ------------------------------------------

enum class Way {
    kReplace,  // a temporary file beside `place`, renamed to it
    kCopyIn,   // a temporary file beside `place`, then copied into the file in place
    kThrough,  // the file opened and written as the bytes come
};

struct Target {
    Way way = Way::kReplace;
    std::string place;   // where the file is: the end of the links `path` leads through
    bool exists = false;  // with kReplace: a file is there, whose mode and owner the new one takes
    bool empty_first = false;  // with kThrough: opened as a new file is (a regular file emptied)
#ifndef _WIN32
    struct stat status = {};
#endif
};

int ErrnoOr(int fallback) { return errno != 0 ? errno : fallback; }

#ifdef _WIN32

int ErrnoOf(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_WRITE_PROTECT:
            return EROFS;
        default:
            return EIO;
    }
}

bool ChooseWay(const std::string& path, Target& target, std::string& error) {
    std::wstring wide;
    if (!Utf8ToWide(path, wide)) {
        error = "the name is not valid Unicode text";
        return false;
    }
    target.place = path;
    // No access asked: only what the name stands for.
    const HANDLE file = CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND) return true;
        error = std::strerror(ErrnoOf(code));
        return false;
    }
    const DWORD type = GetFileType(file);
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (type != FILE_TYPE_DISK) {  // NUL, CON, COM1, a named pipe
        target.way = Way::kThrough;
        target.empty_first = true;
        return true;
    }
    const DWORD attributes = known ? info.dwFileAttributes : GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = std::strerror(EISDIR);
        return false;
    }
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        error = std::strerror(EACCES);
        return false;
    }
    const DWORD own = GetFileAttributesW(wide.c_str());
    const bool link = own != INVALID_FILE_ATTRIBUTES && (own & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    target.exists = true;
    target.way = link || (known && info.nNumberOfLinks > 1) ? Way::kCopyIn : Way::kReplace;
    return true;
}

#else

// The end of the symbolic links `path` leads through, in `place`: the name
// a file there is renamed to. An end that does not exist is an end; false
// with errno set when the links cannot be read or go round.
bool FollowLinks(const std::string& path, std::string& place) {
    constexpr int kMaxLinks = 40;  // as Linux's ELOOP
    place = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat status;
        if (lstat(place.c_str(), &status) != 0) return errno == ENOENT;
        if (!S_ISLNK(status.st_mode)) return true;
        std::vector<char> link(256);
        ssize_t size = 0;
        while ((size = readlink(place.c_str(), link.data(), link.size())) >= 0 &&
               static_cast<std::size_t>(size) == link.size()) {
            link.resize(link.size() * 2);
        }
        if (size <= 0) {
            if (size == 0) errno = ENOENT;
            return false;
        }
        const std::string to(link.data(), static_cast<std::size_t>(size));
        const std::size_t slash = place.rfind('/');
        place = to[0] == '/' || slash == std::string::npos ? to : place.substr(0, slash + 1) + to;
    }
    errno = ELOOP;
    return false;
}

bool ChooseWay(const std::string& path, Target& target, std::string& error) {
    errno = 0;
    if (stat(path.c_str(), &target.status) != 0) {
        // Nothing there, or a link to nothing: the file it names is made,
        // as the shell's > and sort -o make it.
        if (errno == ENOENT && FollowLinks(path, target.place)) return true;
        error = std::strerror(ErrnoOr(ENOENT));
        return false;
    }
    const mode_t type = target.status.st_mode & S_IFMT;
    if (type == S_IFDIR) {
        error = std::strerror(EISDIR);
        return false;
    }
    if (type == S_IFSOCK) {
        error = "it is a socket, not a file";
        return false;
    }
    if (type != S_IFREG) {  // a device or a FIFO
        target.way = Way::kThrough;
        return true;
    }
    // A file the user may not write keeps what it holds, as the shell's >
    // keeps it, though the folder would let it be replaced.
    if (access(path.c_str(), W_OK) != 0) {
        error = std::strerror(ErrnoOr(EACCES));
        return false;
    }
    target.empty_first = true;
    struct stat there;
    if (!FollowLinks(path, target.place) || lstat(target.place.c_str(), &there) != 0 ||
        there.st_dev != target.status.st_dev || there.st_ino != target.status.st_ino) {
        // No path leads to the file itself (/dev/stdout, /proc/self/fd/1):
        // nothing can be renamed over it.
        target.way = Way::kThrough;
        return true;
    }
    target.exists = true;
    target.way = target.status.st_nlink > 1 ? Way::kCopyIn : Way::kReplace;
    return true;
}

#endif

// ---- Opening, writing and closing --------------------------------------

// A new file beside `place`, named after it, opened for writing and reading
// by this process alone (an existing name is never reused), tracked by
// `pending` from the moment it exists: its name in `temporary`. A file that
// was there lends it its mode and owner before a byte is written, so the
// bytes are never open to more eyes than the file's were. nullptr with
// errno set when none can be made.
std::FILE* CreateBeside(const Target& target, PendingTemporary& pending, std::string& temporary) {
#ifdef _WIN32
    const std::string process = std::to_string(_getpid());
#else
    const std::string process = std::to_string(getpid());
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target.place + ".quobrix-" + process + "-" + std::to_string(attempt) + ".tmp";
        errno = 0;
#ifdef _WIN32
        std::wstring wide;
        if (!Utf8ToWide(temporary, wide)) {
            errno = EINVAL;
            return nullptr;
        }
        const HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD code = GetLastError();
            if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) continue;
            errno = ErrnoOf(code);
            return nullptr;
        }
        pending.Block();
        pending.Track(&temporary);
        pending.Unblock();
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
        if (fd < 0) {
            CloseHandle(handle);
            DeleteFileW(wide.c_str());
            pending.Track(nullptr);
            errno = EMFILE;
            return nullptr;
        }
        std::FILE* file = _fdopen(fd, "w+b");
        if (file == nullptr) {
            _close(fd);
            DeleteFileW(wide.c_str());
            pending.Track(nullptr);
            errno = ENOMEM;
        }
        return file;
#else
        // Owner-only until the file's own mode is given; a new file's 0666
        // less the umask at once.
        const mode_t mode = target.exists ? 0600 : 0666;
        pending.Block();
        const int fd = open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        const int error = errno;
        if (fd >= 0) pending.Track(&temporary);
        pending.Unblock();
        if (fd < 0 && error == EEXIST) continue;
        if (fd < 0) {
            errno = error;
            return nullptr;
        }
        if (target.exists) {
            const struct stat& was = target.status;
            // The owner only root may give; the group any member of it.
            // What cannot be given stays the user's: never more than was.
            if (fchown(fd, was.st_uid, was.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), was.st_gid) != 0) {
                // Neither: the file is the user's own and the user's group's.
            }
            // After fchown, which clears the set-user-ID and set-group-ID bits.
            if (fchmod(fd, was.st_mode & 07777) != 0) {
                // The file stays owner-only.
            }
        }
        std::FILE* file = fdopen(fd, "w+b");
        if (file == nullptr) {
            const int fdopen_error = errno;
            close(fd);
            pending.Block();
            unlink(temporary.c_str());
            pending.Track(nullptr);
            pending.Unblock();
            errno = fdopen_error;
        }
        return file;
#endif
    }
    errno = EEXIST;
    return nullptr;
}

// The file named `path` opened for writing in place: emptied first when
// `empty` (a regular file written through), else from its first byte on.
std::FILE* OpenInPlace(const std::string& path, bool empty) {
    errno = 0;
#ifdef _WIN32
    std::wstring wide;
    if (!Utf8ToWide(path, wide)) {
        errno = EINVAL;
        return nullptr;
    }
    return _wfopen(wide.c_str(), empty ? L"wb" : L"r+b");
#else
    // No O_CREAT: what was there is what is written, never a new file in
    // the place of one that went meanwhile.
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | (empty ? O_TRUNC : 0));
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "wb");
    if (file == nullptr) close(fd);
    return file;
#endif
}

bool RenameOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
    // rename() refuses to replace a file on Windows; MoveFileEx does.
    std::wstring wide_from, wide_to;
    if (!Utf8ToWide(from, wide_from) || !Utf8ToWide(to, wide_to)) {
        errno = EINVAL;
        return false;
    }
    if (MoveFileExW(wide_from.c_str(), wide_to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    errno = ErrnoOf(GetLastError());
    return false;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

void RemoveFile(const std::string& path) {
#ifdef _WIN32
    std::wstring wide;
    if (Utf8ToWide(path, wide)) DeleteFileW(wide.c_str());
#else
    unlink(path.c_str());
#endif
}

// Passes `produce` a WriteBlock onto `file`; the errno of the first write
// that failed in `failure`, 0 when none did.
bool Produce(std::FILE* file, const std::function<bool(const WriteBlock& write)>& produce, int& failure) {
    failure = 0;
    const WriteBlock write = [&](const std::string& bytes) {
        if (failure == 0) {
            errno = 0;
            if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) failure = ErrnoOr(EIO);
        }
        return failure == 0;
    };
    const bool produced = produce(write);
    // The last buffered bytes are written at the flush: a full disk may
    // show only there.
    errno = 0;
    if (std::fflush(file) != 0 && failure == 0) failure = ErrnoOr(EIO);
    return produced;
}

// The whole of `from`, read from its start, written over `to` from its
// start, and `to` cut to that length; 0, or the errno of what failed.
int CopyInto(std::FILE* from, std::FILE* to) {
    constexpr std::size_t kBlockBytes = std::size_t{1} << 18;
    std::vector<char> block(kBlockBytes);
    errno = 0;
    if (std::fseek(from, 0, SEEK_SET) != 0) return ErrnoOr(EIO);
    long long length = 0;
    for (;;) {
        const std::size_t n = std::fread(block.data(), 1, block.size(), from);
        if (n > 0 && std::fwrite(block.data(), 1, n, to) != n) return ErrnoOr(EIO);
        length += static_cast<long long>(n);
        if (n < block.size()) break;
    }
    if (std::ferror(from)) return ErrnoOr(EIO);
    if (std::fflush(to) != 0) return ErrnoOr(EIO);
#ifdef _WIN32
    const int cut = _chsize_s(_fileno(to), length);
    if (cut != 0) return cut;
#else
    if (ftruncate(fileno(to), static_cast<off_t>(length)) != 0) return ErrnoOr(EIO);
#endif
    return 0;
}

// Written through: the bytes go as they come, and a failure midway leaves
// what went.
bool WriteThrough(const Target& target, const std::string& path,
                  const std::function<bool(const WriteBlock& write)>& produce, std::string& error) {
    std::FILE* file = OpenInPlace(path, target.empty_first);
    if (file == nullptr) {
        error = std::strerror(ErrnoOr(EIO));
        return false;
    }
    int failure = 0;
    const bool produced = Produce(file, produce, failure);
    errno = 0;
    if (std::fclose(file) != 0 && failure == 0) failure = ErrnoOr(EIO);
    if (failure != 0) error = std::strerror(failure);
    return produced && failure == 0;
}

}  // namespace

bool WriteOutputFile(const std::string& path, const std::function<bool(const WriteBlock& write)>& produce,
                     std::string& error) {
    error.clear();
    Target target;
    if (!ChooseWay(path, target, error)) return false;
    if (target.way == Way::kThrough) return WriteThrough(target, path, produce, error);

    PendingTemporary pending;
    std::string temporary;
    std::FILE* file = CreateBeside(target, pending, temporary);
    if (file == nullptr) {
        error = std::strerror(ErrnoOr(EIO));
        return false;
    }
    int failure = 0;
    const bool produced = Produce(file, produce, failure);
    if (produced && failure == 0 && target.way == Way::kCopyIn) {
        // Not emptied first: should the disk fill, most of the file is
        // rewritten where it stood rather than lost.
        std::FILE* in_place = OpenInPlace(path, false);
        failure = in_place == nullptr ? ErrnoOr(EIO) : CopyInto(file, in_place);
        errno = 0;
        if (in_place != nullptr && std::fclose(in_place) != 0 && failure == 0) failure = ErrnoOr(EIO);
    }
    errno = 0;
    if (std::fclose(file) != 0 && failure == 0) failure = ErrnoOr(EIO);
    bool done = false;
    pending.Block();
    if (produced && failure == 0 && target.way == Way::kReplace) {
        errno = 0;
        done = RenameOver(temporary, target.place);
        if (!done) failure = ErrnoOr(EIO);
    } else {
        done = produced && failure == 0;
    }
    if (!(done && target.way == Way::kReplace)) RemoveFile(temporary);
    pending.Track(nullptr);
    pending.Unblock();
    if (failure != 0) error = std::strerror(failure);
    return done;
}

int RunIntoOutputFile(const std::string& path, const CliEnvironment& env, std::string& err,
                      const std::function<int(const CliEnvironment& to_file, std::string& out)>& run) {
    const std::string name = EscapeBytes(path);
    if (!env.write_file) {
        err += kPrefix + "cannot write " + name + ": no files are written here\n";
        return kExitUsage;
    }
    int code = kExitUsage;
    const auto produce = [&](const WriteBlock& write) {
        CliEnvironment to_file = env;
        to_file.write_stdout = write;
        to_file.stdout_is_terminal = false;
        std::string out;
        code = run(to_file, out);
        if (code == kExitReport && !out.empty() && !write(out)) code = kExitUsage;
        return code == kExitReport;
    };
    std::string error;
    if (!env.write_file(path, produce, error) && !error.empty()) {
        err += kPrefix + "cannot write " + name + ": " + error + "\n";
        return kExitUsage;
    }
    return code;
}
