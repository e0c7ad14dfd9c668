// Where a member may be written: its name split into components that stay
// inside the destination folder, and the names of the following volumes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rar {

// The member's path components (UTF-8), or false when the name is empty,
// absolute, carries a drive or a stream, climbs out with "..", or names a
// device; such a member is never written.
bool SafeComponents(std::string_view name, std::vector<std::string>& components);

// The name of the volume after this one: "x.part1.rar" -> "x.part2.rar"
// (numbered style), "x.rar" -> "x.r00" -> "x.r01" ... "x.r99" -> "x.s00" (old style).
std::string NextVolumeName(const std::string& name, bool numbered);

}  // namespace rar
