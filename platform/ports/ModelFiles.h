#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace orvane {

// One file of a model, open for reading at any offset. Its size is fixed when it is opened: a
// reader checks every length it is told against it before it reads or allocates anything.
class ReadableFile {
public:
    virtual ~ReadableFile() = default;

    virtual std::uint64_t size() const = 0;

    // Fills all of into from offset: 0, or the errno of the failure (EIO when the file turned out
    // shorter than its size).
    virtual int read(std::uint64_t offset, std::span<std::uint8_t> into) = 0;
};

// Opens the files a model is made of. Only regular files are opened: a FIFO, a device or a socket
// in a model's place is refused without waiting on it. Symbolic links are followed, since model
// caches are made of them (a Hugging Face snapshot links every file to its blob).
class ModelFiles {
public:
    struct Opened {
        std::unique_ptr<ReadableFile> file;
        int error = 0;              // the errno of the failure, when there is no file
        const char* kind = nullptr; // what is there instead of a regular file ("a FIFO"), if so
    };

    virtual ~ModelFiles() = default;

    virtual Opened open(const std::string& path) = 0;
};

} // namespace orvane
