#include "tools/author/findings.h"

#include <algorithm>
#include <cstdio>

#include "unrar/codepage.h"

namespace author {

void Findings::Error(const std::string& file, int line, std::string text) {
  Add({file, line, Severity::Error, std::move(text)});
}

void Findings::Warning(const std::string& file, int line, std::string text) {
  Add({file, line, Severity::Warning, std::move(text)});
}

void Findings::Add(Finding f) {
  if (!seen_.emplace(f.file, f.line, f.severity, f.text).second) return;
  all_.push_back(std::move(f));
}

std::vector<Finding> Findings::Sorted() const {
  std::vector<Finding> sorted = all_;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Finding& a, const Finding& b) {
    if (a.file != b.file) return a.file < b.file;
    return a.line < b.line;
  });
  return sorted;
}

int Findings::Errors() const {
  return static_cast<int>(std::count_if(all_.begin(), all_.end(), [](const Finding& f) { return f.severity == Severity::Error; }));
}

int Findings::Warnings() const { return static_cast<int>(all_.size()) - Errors(); }

std::string FormatFinding(const Finding& f) {
  std::string s = f.file;
  if (f.line > 0) s += ":" + std::to_string(f.line);
  s += f.severity == Severity::Error ? ": error: " : ": warning: ";
  return s + f.text;
}

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  // Bad UTF-8 would make the whole document unreadable.
  for (char c : rar::NormalizeUtf8(utf8)) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

}  // namespace author
