#pragma once

#include <cstddef>
#include <cstdint>

// The fuzz targets as plain functions, so that libFuzzer drives them in the fuzz build and the
// test suite replays the seed corpus and every kept reproducer through the very same code.
// Each returns 0; a broken invariant prints what broke and aborts.
namespace orvane::fuzz {

// wire::decode on arbitrary bytes: whatever it accepts re-encodes to the same bytes.
int wireDecodeOneInput(const std::uint8_t* data, std::size_t size);

// One client connection served by the daemon's real server loop, with a fake kernel and memory
// chosen by the input. See ConnectionTarget.cpp for the input's layout.
int connectionOneInput(const std::uint8_t* data, std::size_t size);

// The update feed read and chosen from, as any bytes: a refused feed offers nothing, an offer is
// newer than the running version, and the version order stays strict over the items' versions
// and the input's first lines.
int feedOneInput(const std::uint8_t* data, std::size_t size);

// The model readers of "orvane fit" on arbitrary bytes: a GGUF file (and the shape and estimate
// drawn from it), a safetensors file's header, an Ollama manifest (and the same bytes as a name).
int ggufOneInput(const std::uint8_t* data, std::size_t size);
int safetensorsOneInput(const std::uint8_t* data, std::size_t size);
int ollamaManifestOneInput(const std::uint8_t* data, std::size_t size);

} // namespace orvane::fuzz
