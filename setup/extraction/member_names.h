// A member's path as the library writes it under the install folder, in the
// terms the log needs: its components, and which of them Windows stores under
// another name.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace membernames {

// The components of a relative member name ("\" or "/" between them), with
// empty and "." components dropped as the library drops them. Nothing when no
// component is left or one climbs out ("..", or dots and blanks only), which
// the library never writes.
std::optional<std::vector<std::u16string>> Components(std::u16string_view name);

// Windows drops trailing dots and blanks from a name it creates, so the file
// on disk is not called what the member is.
bool StoredUnderAnotherName(std::u16string_view component);

}  // namespace membernames
