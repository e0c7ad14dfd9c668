// What the file calls of both platforms share: whole files and archive
// volumes through stdio. Each platform file opens, seeks and sizes a stream
// in its own way (UTF-8 names as they stand, or through UTF-16 on Windows).
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace authorfs::stdio {

// mode is "rb" or "wb".
std::FILE* Open(const std::string& path, const char* mode);
bool Seek(std::FILE* f, uint64_t offset);
// The stream's length; leaves it at its end.
std::optional<uint64_t> Length(std::FILE* f);

}  // namespace authorfs::stdio
