#include "platform/posix/PosixModelFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/FileKind.h"

namespace orvane::posix {

namespace {

class PosixFile final : public ReadableFile {
public:
    PosixFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~PosixFile() override { ::close(fd_); }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    std::uint64_t size() const override { return size_; }

    int read(std::uint64_t offset, std::span<std::uint8_t> into) override {
        std::size_t done = 0;
        while (done < into.size()) {
            const ssize_t got = ::pread(fd_, into.data() + done, into.size() - done,
                                        static_cast<off_t>(offset + done));
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno;
            }
            if (got == 0) {
                return EIO; // shorter than when it was opened
            }
            done += static_cast<std::size_t>(got);
        }
        return 0;
    }

private:
    int fd_;
    std::uint64_t size_;
};

} // namespace

ModelFiles::Opened PosixModelFiles::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        struct stat info {};
        // A socket cannot be opened at all (ENXIO): name it rather than the errno.
        if (::stat(path.c_str(), &info) == 0 && nonRegularKind(info.st_mode)) {
            return {nullptr, error, nonRegularKind(info.st_mode)};
        }
        return {nullptr, error, nullptr};
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return {nullptr, error, nullptr};
    }
    if (const char* kind = nonRegularKind(info.st_mode)) {
        ::close(fd);
        return {nullptr, EINVAL, kind};
    }
    // A regular file never blocks; the flag only had to keep the open itself from waiting.
    if (const int flags = ::fcntl(fd, F_GETFL); flags >= 0) {
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    return {std::make_unique<PosixFile>(fd, static_cast<std::uint64_t>(info.st_size)), 0, nullptr};
}

} // namespace orvane::posix
