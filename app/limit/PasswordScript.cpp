#include "app/limit/PasswordScript.h"

#include "app/limit/LimitTexts.h"

namespace orvane {

std::string passwordScriptSource(std::int64_t megabytes) {
    std::string source(texts::scriptCommand);
    source += std::to_string(megabytes);
    source += texts::scriptCommandEnd;
    source += texts::scriptPrompt;
    source += texts::scriptPrivileges;
    return source;
}

} // namespace orvane
