// What the checker finds: each finding names a file and a line of it, as a
// compiler does, so that an editor can jump there.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace author {

enum class Severity { Error, Warning };

struct Finding {
  std::string file;  // as the user named the distribution, then the file's name (UTF-8)
  int line = 0;      // from 1; 0 when it is about the file as a whole
  Severity severity = Severity::Error;
  std::string text;  // UTF-8
  bool operator==(const Finding&) const = default;
};

class Findings {
 public:
  void Error(const std::string& file, int line, std::string text);
  void Warning(const std::string& file, int line, std::string text);
  void Add(Finding f);

  // In the order of their files and lines; a finding reached twice (a
  // section both languages read) is kept once.
  std::vector<Finding> Sorted() const;
  int Errors() const;
  int Warnings() const;
  bool Empty() const { return all_.empty(); }

 private:
  std::vector<Finding> all_;
  std::set<std::tuple<std::string, int, Severity, std::string>> seen_;
};

// "file:line: error: text", or "file: error: text" for line 0.
std::string FormatFinding(const Finding& f);

// A JSON string literal of UTF-8 text.
std::string JsonString(std::string_view utf8);

}  // namespace author
