#include "cli/file_stream.h"

#include <cerrno>
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

namespace {

// Blocks of a whole stream: large enough that a read costs little beside the
// CRC of its bytes, small enough for any memory.
constexpr std::size_t kStreamBlockBytes = std::size_t{1} << 18;

#ifdef _WIN32
bool WideName(const std::string& path, std::wstring& wide) {
    std::u16string utf16;
    if (!Utf8ToUtf16(path, utf16)) return false;
    wide.assign(utf16.begin(), utf16.end());
    return true;
}
#endif

// A new file beside `path`, named after it, opened for writing by this
// process alone (an existing name is never reused): its name in
// `temporary`. nullptr with errno set when none can be made.
std::FILE* CreateBeside(const std::string& path, std::string& temporary) {
#ifdef _WIN32
    const std::string process = std::to_string(_getpid());
#else
    const std::string process = std::to_string(getpid());
#endif
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = path + ".quobrix-" + process + "-" + std::to_string(attempt) + ".tmp";
        errno = 0;
#ifdef _WIN32
        std::wstring wide;
        if (!WideName(temporary, wide)) {
            errno = EINVAL;
            return nullptr;
        }
        const int fd = _wopen(wide.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return nullptr;
        std::FILE* file = _fdopen(fd, "wb");
        if (file == nullptr) _close(fd);
#else
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return nullptr;
        std::FILE* file = fdopen(fd, "wb");
        if (file == nullptr) close(fd);
#endif
        return file;
    }
    return nullptr;
}

void RemoveFile(const std::string& path) {
#ifdef _WIN32
    std::wstring wide;
    if (WideName(path, wide)) _wremove(wide.c_str());
#else
    std::remove(path.c_str());
#endif
}

// `from` renamed to `to`, in place of the file `to` names, if any; false
// with errno set.
bool RenameOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
    // rename() refuses to replace a file on Windows; MoveFileEx does.
    std::wstring wide_from, wide_to;
    if (!WideName(from, wide_from) || !WideName(to, wide_to)) {
        errno = EINVAL;
        return false;
    }
    if (MoveFileExW(wide_from.c_str(), wide_to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    const DWORD code = GetLastError();
    errno = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION ? EACCES
            : code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? ENOENT
                                                                             : EIO;
    return false;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

}  // namespace

bool StreamBlocks(std::FILE* stream, const ConsumeBlock& consume, std::string& error,
                  const std::function<bool()>& stop, bool* stopped) {
    std::vector<char> block(kStreamBlockBytes);
    if (stopped) *stopped = false;
    for (;;) {
        errno = 0;
        const std::size_t n = std::fread(block.data(), 1, block.size(), stream);
        if (n > 0) consume(block.data(), n);
        if (n == block.size()) {
            if (stop && stop()) {
                if (stopped) *stopped = true;
                return true;
            }
            continue;
        }
        // A short read is the end of the stream, or an error.
        if (!std::ferror(stream)) return true;
        error = std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
}

bool StreamFile(const std::string& path, const ConsumeBlock& consume, std::string& error,
                const std::function<bool()>& stop, bool* stopped) {
    errno = 0;
#ifdef _WIN32
    // By its Unicode name: the ANSI code page cannot spell every name.
    std::wstring wide;
    if (!WideName(path, wide)) {
        error = "the name is not valid Unicode text";
        return false;
    }
    std::FILE* file = _wfopen(wide.c_str(), L"rb");
#else
    std::FILE* file = std::fopen(path.c_str(), "rb");
#endif
    if (file == nullptr) {
        error = std::strerror(errno != 0 ? errno : ENOENT);
        return false;
    }
    const bool read = StreamBlocks(file, consume, error, stop, stopped);
    std::fclose(file);
    return read;
}

bool ReplaceWholeFile(const std::string& path, const std::function<bool(const WriteBlock& write)>& produce,
                 std::string& error) {
#ifdef _WIN32
    std::wstring wide;
    if (!WideName(path, wide)) {
        error = "the name is not valid Unicode text";
        return false;
    }
#endif
    std::string temporary;
    std::FILE* file = CreateBeside(path, temporary);
    if (file == nullptr) {
        error = std::strerror(errno != 0 ? errno : EIO);
        return false;
    }
    int failure = 0;  // the errno of the first write that failed
    const WriteBlock write = [&](const std::string& bytes) {
        if (failure == 0) {
            errno = 0;
            if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) failure = errno != 0 ? errno : EIO;
        }
        return failure == 0;
    };
    const bool produced = produce(write);
    // The last buffered bytes are written at the close: a full disk may
    // show only there.
    errno = 0;
    if (std::fclose(file) != 0 && failure == 0) failure = errno != 0 ? errno : EIO;
    if (produced && failure == 0) {
        errno = 0;
        if (RenameOver(temporary, path)) return true;
        failure = errno != 0 ? errno : EIO;
    }
    RemoveFile(temporary);
    if (failure != 0) error = std::strerror(failure);
    return false;
}

bool FileSize(const std::string& path, std::uint64_t& size) {
#ifdef _WIN32
    std::wstring wide;
    struct _stat64 status;
    if (!WideName(path, wide) || _wstat64(wide.c_str(), &status) != 0) return false;
#else
    struct stat status;
    if (stat(path.c_str(), &status) != 0) return false;
#endif
    if (status.st_size < 0) return false;
    size = static_cast<std::uint64_t>(status.st_size);
    return true;
}
