// CRC-32 (reflected, polynomial 0xEDB88320), the checksum of both archive formats.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rar {

// Continues a checksum: start with 0, feed the result back for the next block.
uint32_t Crc32(uint32_t crc, const void* data, size_t size);

}  // namespace rar
