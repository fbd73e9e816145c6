#pragma once

#include <optional>
#include <string>
#include <utility>

namespace orvane::fit {

// What is wrong with a model, in one sentence for the person who named it. A malformed or missing
// model is their input's fault (the command line's usage status); a file that could not be read
// although it is there is the system's (its failure status).
struct ModelProblem {
    std::string sentence;
    bool readFailure = false;
};

// A reader's result: the value, or the problem that stopped it.
template <class T>
struct Loaded {
    std::optional<T> value;
    ModelProblem problem;

    static Loaded failed(ModelProblem problem) { return {std::nullopt, std::move(problem)}; }
};

// Thrown inside a reader where it finds a problem, and caught at its public entry: no exception
// leaves app/fit.
struct ModelError {
    ModelProblem problem;
};

[[noreturn]] inline void malformed(std::string sentence) {
    throw ModelError{{std::move(sentence), false}};
}

} // namespace orvane::fit
