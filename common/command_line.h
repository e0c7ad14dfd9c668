// Command lines of both programs: the arguments, and switches in the form
// /NAME, -NAME or /NAME=value.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cmdline {

// The arguments of a command line. Blanks and tabs separate them outside
// double quotes; quotes group and are dropped. A backslash is an ordinary
// character, so that a quoted folder may end with one ("C:\Apps\"); only an
// even run of them right before a quote is halved, as programs that quote
// by the system's convention write a folder's final backslash ("C:\Apps\\").
std::vector<std::string> SplitArguments(std::string_view line);

// The arguments after the program's own name, the first of a full command line.
std::vector<std::string> ArgumentsAfterProgram(std::string_view line);

struct Switch {
  std::string name;   // upper case, without the leading / or -
  bool hasValue = false;
  std::string value;  // after the first "=", as written
};

// The switch an argument holds; nothing for an argument that does not begin
// with / or - followed by a letter or "?".
std::optional<Switch> ParseSwitch(std::string_view argument);

// Whether an argument is written as a switch.
bool LooksLikeSwitch(std::string_view argument);

}  // namespace cmdline
