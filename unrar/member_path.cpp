#include "unrar/member_path.h"

#include <cctype>

namespace rar {
namespace {

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return u;
}

// The port number of COMn and LPTn: a digit 1 to 9, or superscript one, two
// or three (U+00B9, U+00B2, U+00B3 in UTF-8), which Windows also counts.
bool IsPortNumber(std::string_view s) {
  if (s.size() == 1) return s[0] >= '1' && s[0] <= '9';
  return s.size() == 2 && s[0] == '\xC2' && (s[1] == '\xB9' || s[1] == '\xB2' || s[1] == '\xB3');
}

// Windows opens these as devices whatever folder or extension they come with;
// blanks before the extension (and the dots and blanks it drops at the end)
// do not help.
bool IsDeviceName(std::string_view component) {
  std::string base = Upper(component.substr(0, component.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* d : kDevices)
    if (base == d) return true;
  std::string_view b = base;
  return (b.substr(0, 3) == "COM" || b.substr(0, 3) == "LPT") && IsPortNumber(b.substr(3));
}

}  // namespace

bool SafeComponents(std::string_view name, std::vector<std::string>& components) {
  components.clear();
  if (name.empty() || name.front() == '/' || name.front() == '\\') return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    std::string_view part = name.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    // Windows drops trailing dots and blanks, so "..." and ".. " climb like "..".
    if (part.find_first_not_of(". ") == std::string_view::npos) return false;
    for (char c : part)
      if (static_cast<unsigned char>(c) < 0x20 || c == ':') return false;
    if (IsDeviceName(part)) return false;
    components.emplace_back(part);
  }
  return !components.empty();
}

std::string NextVolumeName(const std::string& name, bool numbered) {
  const size_t slash = name.find_last_of("/\\");
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot < base) dot = name.size();
  if (numbered) {
    // The last group of digits before the extension is the volume number.
    const size_t end = dot;
    size_t begin = end;
    while (begin > base && std::isdigit(static_cast<unsigned char>(name[begin - 1]))) --begin;
    if (begin < end) {
      std::string next = name;
      size_t i = end;
      while (i > begin) {
        --i;
        if (next[i] != '9') {
          ++next[i];
          return next;
        }
        next[i] = '0';
      }
      next.insert(begin, "1");
      return next;
    }
  }
  std::string ext = dot < name.size() ? name.substr(dot + 1) : std::string();
  const bool digits = ext.size() == 3 && std::isdigit(static_cast<unsigned char>(ext[1])) &&
                      std::isdigit(static_cast<unsigned char>(ext[2]));
  if (!digits) {
    const bool upper = !ext.empty() && std::isupper(static_cast<unsigned char>(ext[0]));
    return name.substr(0, dot) + (upper ? ".R00" : ".r00");
  }
  std::string next = name;
  size_t p = dot + 1;
  if (next[p + 2] != '9') {
    ++next[p + 2];
  } else if (next[p + 1] != '9') {
    ++next[p + 1];
    next[p + 2] = '0';
  } else {
    ++next[p];
    next[p + 1] = next[p + 2] = '0';
  }
  return next;
}

}  // namespace rar
