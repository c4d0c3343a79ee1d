// Helpers shared by the fuzz targets: a reader that turns the input bytes into
// choices, and the check that stops the program when a target's model disagrees
// with the library.
#pragma once

#include "platform/win/Types.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

// Every target defines this; libFuzzer calls it, and so does RunInputs.cpp.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace varn::fuzz {

// A failed check is a fault of the library: the message goes to stderr and the
// program aborts, which libFuzzer records as a crash with its input.
[[noreturn]] inline void fail(const char* file, int line, const char* condition)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::varn::fuzz::fail(__FILE__, __LINE__, #condition))

// Says why an input was refused, when VARN_FUZZ_VERBOSE is set: for running single
// inputs by hand (fuzzing itself would only slow down).
inline void refused(const std::exception& error)
{
    static const bool verbose = std::getenv("VARN_FUZZ_VERBOSE") != nullptr;
    if (verbose)
        std::fprintf(stderr, "refused: %s\n", error.what());
}

// Consumes the input from the front; once it is used up every read gives zero
// (or the empty text), so a target never runs past it.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data(data), size(size) {}

    bool empty() const { return position >= size; }
    size_t remaining() const { return size - position; }

    uint8_t byte() { return empty() ? 0 : data[position++]; }
    bool flag() { return byte() & 1; }
    // Little endian; each part is read in its own statement to fix the order.
    uint16_t u16()
    {
        uint16_t low = byte();
        return static_cast<uint16_t>(low | (byte() << 8));
    }
    uint32_t u32()
    {
        uint32_t low = u16();
        return low | (static_cast<uint32_t>(u16()) << 16);
    }
    uint64_t u64()
    {
        uint64_t low = u32();
        return low | (static_cast<uint64_t>(u32()) << 32);
    }

    // A value in [low, high], taken from as few bytes as the range needs.
    int range(int low, int high)
    {
        uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(high) - low) + 1;
        uint64_t raw = span <= 0x100 ? byte() : span <= 0x10000 ? u16() : u32();
        return static_cast<int>(low + static_cast<int64_t>(raw % span));
    }
    // Any double, infinities and NaNs included: the raw bits of eight bytes.
    double bits()
    {
        uint64_t raw = u64();
        double value;
        std::memcpy(&value, &raw, sizeof value);
        return value;
    }
    // A text of at most maxLength bytes: a length byte, then the bytes.
    AnsiString text(size_t maxLength = 255)
    {
        size_t length = byte();
        if (length > maxLength)
            length = maxLength;
        if (length > remaining())
            length = remaining();
        AnsiString result(reinterpret_cast<const char*>(data + position), length);
        position += length;
        return result;
    }
    // Everything not read yet.
    AnsiString rest()
    {
        AnsiString result(reinterpret_cast<const char*>(data + position), remaining());
        position = size;
        return result;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t position = 0;
};

}  // namespace varn::fuzz
