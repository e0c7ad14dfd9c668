// Between the ANSI code page, in which both programs speak and the log is
// written, and UTF-16, in which the file system keeps names (Windows only).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace widetext {

std::wstring FromAnsi(std::string_view ansi);
// Names kept in UTF-8 (the library's member names, the author tools' paths).
std::wstring FromUtf8(std::string_view utf8);

// The ANSI spelling of a UTF-16 text when the code page has one that converts
// back exactly; nothing when a character would become a stand-in ("?") or a
// look-alike letter, which in a path would name another file, or none.
std::optional<std::string> ExactAnsi(std::wstring_view wide);

}  // namespace widetext
