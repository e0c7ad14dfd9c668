#include "common/command_line.h"

#include "common/ansi.h"

namespace cmdline {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::vector<std::string> SplitArguments(std::string_view line) {
  std::vector<std::string> args;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    size_t backslashes = 0;  // the run of them just taken
    for (; i < line.size() && (quoted || !IsBlank(line[i])); ++i) {
      if (line[i] == '"') {
        // Programs that quote by the system's convention double the
        // backslashes before a quote; an even run is halved, an odd one
        // (typed by hand: "C:\Apps\") is kept as it stands.
        if (backslashes > 0 && backslashes % 2 == 0) arg.resize(arg.size() - backslashes / 2);
        quoted = !quoted;
        backslashes = 0;
      } else {
        backslashes = line[i] == '\\' ? backslashes + 1 : 0;
        arg += line[i];
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::vector<std::string> ArgumentsAfterProgram(std::string_view line) {
  std::vector<std::string> args = SplitArguments(line);
  if (!args.empty()) args.erase(args.begin());
  return args;
}

bool LooksLikeSwitch(std::string_view argument) {
  if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-')) return false;
  const unsigned char c = static_cast<unsigned char>(argument[1]);
  return c == '?' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::optional<Switch> ParseSwitch(std::string_view argument) {
  if (!LooksLikeSwitch(argument)) return std::nullopt;
  Switch s;
  std::string_view body = argument.substr(1);
  const size_t eq = body.find('=');
  if (eq != std::string_view::npos) {
    s.hasValue = true;
    s.value = std::string(body.substr(eq + 1));
    body = body.substr(0, eq);
  }
  s.name = ansi::UpperCase(body);
  return s;
}

}  // namespace cmdline
