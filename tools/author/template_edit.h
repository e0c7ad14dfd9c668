// setup.ini edited in place by sowell-pack: a value set where the setup
// program reads it, every other byte left as the author wrote it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace author {

class TemplateEditor {
 public:
  explicit TemplateEditor(std::string_view bytes);

  // Gives the line the setup program reads `key` from (the first in the
  // first section of that name) the value, keeping the key as written; a
  // section without the key gets a line after its last one that is not
  // blank. False when the section is not found.
  bool Set(std::string_view section, std::string_view key, std::string_view value);
  bool Changed() const { return changed_; }
  std::string Bytes() const;

 private:
  struct Line {
    std::string text;
    std::string end;  // "\r\n", "\n", "\r" or "" for a last line without one
  };
  // Index of the header line of the section, or -1.
  int FindSection(std::string_view section) const;

  std::vector<Line> lines_;
  bool changed_ = false;
};

}  // namespace author
