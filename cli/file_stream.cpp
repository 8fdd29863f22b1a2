#include "cli/file_stream.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include "cli/utf16.h"
#endif

namespace {

// Blocks of a whole stream: large enough that a read costs little beside the
// CRC of its bytes, small enough for any memory.
constexpr std::size_t kStreamBlockBytes = std::size_t{1} << 18;

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
    if (!Utf8ToWide(path, wide)) {
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

bool StreamUnchangedFile(const std::string& path, const ConsumeBlock& consume, std::string& error,
                         const std::function<bool()>& stop, bool* stopped) {
    std::uint64_t expected = 0;
    const bool sized = FileSize(path, expected);
    std::uint64_t read = 0;
    const ConsumeBlock counted = [&](const char* bytes, std::size_t size) {
        read += size;
        consume(bytes, size);
    };
    bool ended_early = false;
    if (!StreamFile(path, counted, error, stop, &ended_early)) return false;
    if (stopped) *stopped = ended_early;
    if (!sized || ended_early || read == expected) return true;
    error = "the file changed during the read (" + std::to_string(expected) + " bytes when it began, " +
            std::to_string(read) + " read); no result";
    return false;
}

bool FileSize(const std::string& path, std::uint64_t& size) {
#ifdef _WIN32
    std::wstring wide;
    struct _stat64 status;
    if (!Utf8ToWide(path, wide) || _wstat64(wide.c_str(), &status) != 0) return false;
#else
    struct stat status;
    if (stat(path.c_str(), &status) != 0) return false;
#endif
    if (status.st_size < 0) return false;
    size = static_cast<std::uint64_t>(status.st_size);
    return true;
}
