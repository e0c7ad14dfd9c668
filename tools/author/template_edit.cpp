#include "tools/author/template_edit.h"

#include "common/ansi.h"
#include "setup/run/inifiles32.h"
#include "tools/author/text_check.h"

namespace author {

TemplateEditor::TemplateEditor(std::string_view bytes) {
  for (const TextLine& line : SplitTextLines(bytes)) {
    const char* end = line.end == LineEnd::CrLf ? "\r\n" : line.end == LineEnd::Lf ? "\n" : line.end == LineEnd::Cr ? "\r" : "";
    lines_.push_back({std::string(line.text), end});
  }
}

int TemplateEditor::FindSection(std::string_view section) const {
  const std::string wanted = ansi::UpperCase(section);
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (inifiles32::IsSectionHeader(lines_[i].text) && inifiles32::HeaderName(lines_[i].text, name) &&
        ansi::UpperCase(name) == wanted) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool TemplateEditor::Set(std::string_view section, std::string_view key, std::string_view value) {
  const int header = FindSection(section);
  if (header < 0) return false;
  size_t last = static_cast<size_t>(header);  // the last line of the section that is not blank
  size_t i = last + 1;
  for (; i < lines_.size() && !inifiles32::IsSectionHeader(lines_[i].text); ++i) {
    std::string& text = lines_[i].text;
    if (inifiles32::KeyOfLine(text) == key) {
      const size_t eq = text.find('=');
      size_t start = eq + 1;
      while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
      const std::string updated = text.substr(0, start) + std::string(value);
      if (updated != text) {
        text = updated;
        changed_ = true;
      }
      return true;
    }
    if (!ansi::Trim(text).empty()) last = i;
  }
  if (lines_[last].end.empty()) lines_[last].end = "\r\n";
  lines_.insert(lines_.begin() + static_cast<ptrdiff_t>(last + 1), Line{std::string(key) + "=" + std::string(value), "\r\n"});
  changed_ = true;
  return true;
}

std::string TemplateEditor::Bytes() const {
  std::string out;
  for (const Line& line : lines_) out += line.text + line.end;
  return out;
}

}  // namespace author
