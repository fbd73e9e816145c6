#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// The one-line administrator script that runs sysctl for the new limit. The megabytes come from
// the range rule, so the number needs no quoting.
std::string passwordScriptSource(std::int64_t megabytes);

} // namespace orvane
