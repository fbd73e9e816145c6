#pragma once

#include "platform/ports/ModelFiles.h"

namespace orvane::posix {

// Model files through open(2) and pread(2), the same on the Mac and on Linux: opened without
// blocking (a FIFO would otherwise hold the open forever), kept only when fstat shows a regular
// file, and read with bounded reads at the offsets the readers ask for.
class PosixModelFiles final : public ModelFiles {
public:
    Opened open(const std::string& path) override;
};

} // namespace orvane::posix
