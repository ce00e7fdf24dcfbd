#pragma once
// The standard reflected CRC-32 (polynomial 0xEDB88320, initial value and final complement
// 0xFFFFFFFF), the checksum of zlib, PNG and Ethernet. Computed sixteen bytes at a time
// through sixteen derived tables; the result equals the plain one-table, byte-by-byte calculation.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

namespace kestrin {

class ECRC32CalcError : public std::runtime_error {
  public:
    ECRC32CalcError() : std::runtime_error("CRC Calc is Busy") {}
};

class TCRC32Calc {
  public:
    static constexpr int kMinBufferSize = 4096;
    static constexpr int kMaxBufferSize = 1048576;

    // The size of the work buffer of a streaming calculation; kept for the callers that
    // configure it, since whole buffers are checksummed in place.
    int BufferSize = kMinBufferSize;
    // Set while CalcBuffer runs; a second calculation meanwhile is a programming fault.
    bool Busy = false;

    static bool IsValidBufferSize(int size) {
        return size >= kMinBufferSize && size <= kMaxBufferSize;
    }

    // The CRC-32 of `length` bytes at `buffer`; 0 for an empty buffer. Throws ECRC32CalcError
    // when Busy is set.
    std::uint32_t CalcBuffer(const void* buffer, std::size_t length);
    std::uint32_t CalcBuffer(std::string_view bytes) {
        return CalcBuffer(bytes.data(), bytes.size());
    }
};

}  // namespace kestrin
