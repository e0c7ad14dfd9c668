#include "setup/extraction/member_names.h"

namespace membernames {

std::optional<std::vector<std::u16string>> Components(std::u16string_view name) {
  std::vector<std::u16string> parts;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of(u"\\/", start);
    if (end == std::u16string_view::npos) end = name.size();
    std::u16string_view part = name.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == u".") continue;
    if (part.find_first_not_of(u". ") == std::u16string_view::npos) return std::nullopt;
    parts.emplace_back(part);
  }
  if (parts.empty()) return std::nullopt;
  return parts;
}

bool StoredUnderAnotherName(std::u16string_view component) {
  return !component.empty() && (component.back() == u'.' || component.back() == u' ');
}

}  // namespace membernames
