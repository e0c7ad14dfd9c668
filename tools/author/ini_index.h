// Where in setup.ini the setup program reads each value: the file's lines
// grouped by section with their numbers, found by the INI engine's own rules
// (sections by their untrimmed header line, without regard to letter case,
// the first of a name winning; keys exactly, the first line winning).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace author {

struct IniEntry {
  int line = 0;
  std::string key;    // trimmed text before the first "="
  std::string value;  // what a read of the key gives (trimmed)
};

struct IniSegment {
  int headerLine = 0;      // 0 for the lines before the first header
  std::string header;      // the header line as written
  std::string name;        // between the brackets of the trimmed header
  bool findable = false;   // a lookup can find it (no blanks around the brackets)
  std::vector<IniEntry> entries;  // lines with a key, in order
  std::vector<int> keyless;       // other lines that are not blank
  std::map<std::string, size_t, std::less<>> first;  // key -> its first entry
};

class IniIndex {
 public:
  // `lines` as the INI engine holds them (TIniFile32::Lines).
  explicit IniIndex(const std::vector<std::string>& lines);

  const std::vector<IniSegment>& Segments() const { return segments_; }
  // The segment a lookup of the section finds; nullptr when none.
  const IniSegment* Find(std::string_view section) const;
  // The entry a read of the key finds; nullptr when none.
  const IniEntry* EntryOf(std::string_view section, std::string_view key) const;
  // The line of that entry, else of the section's header, else 0.
  int LineOf(std::string_view section, std::string_view key) const;
  int HeaderLineOf(std::string_view section) const;

 private:
  std::vector<IniSegment> segments_;
  std::map<std::string, size_t> sections_;  // upper-case name -> the first findable segment of it
};

}  // namespace author
