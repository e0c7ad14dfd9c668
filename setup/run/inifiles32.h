// TIniFile32: the setup program's reader and writer of INI-style files. It
// reads setup.ini and writes install.log. The whole file is a list of lines
// held exactly as they stand; every write rewrites the whole file.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Raised by ReadSectionValues when it is given no list to fill.
class EAssertionFailed : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class TIniFile32 {
 public:
  // Loads the file when it exists; a missing file leaves the list empty.
  // Throws EFOpenError when the file exists but cannot be read.
  explicit TIniFile32(std::string fileName);

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  // Fills `strings` with "key=value" for every line of the section that has a key.
  void ReadSectionValues(std::string_view section, std::vector<std::string>* strings) const;
  // Changes the list, then saves the whole file. Throws EFCreateError when the
  // file cannot be written; the list keeps the change.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  const std::string& FileName() const { return FileName_; }
  const std::vector<std::string>& Lines() const { return Lines_; }

 private:
  // Index of the section's header line, or -1.
  ptrdiff_t FindSection(std::string_view section) const;
  void Save() const;

  // Where the headers and the keys of the sections stand, made on the first
  // read and dropped by every write. The run reads numbered keys (Pak0,
  // Pak1, ...) and package sections one at a time; a scan of the file for
  // each would grow with the square of setup.ini.
  struct LookupIndex {
    std::map<std::string, size_t> sections;  // upper-case name -> first header line
    // header line -> key -> first line of that key in the section
    std::map<size_t, std::map<std::string, size_t, std::less<>>> keys;
  };
  LookupIndex& Index() const;
  const std::map<std::string, size_t, std::less<>>& KeysOf(size_t header) const;

  std::string FileName_;
  std::vector<std::string> Lines_;
  mutable std::shared_ptr<LookupIndex> Index_;
};

namespace inifiles32 {

// The three line rules every operation shares.
bool IsSectionHeader(std::string_view line);
// The name of an untrimmed "[" name "]" line, the only form lookups find.
bool HeaderName(std::string_view line, std::string_view& name);
std::string_view KeyOfLine(std::string_view line);
std::string_view ValueOfLine(std::string_view line, std::string_view key);

// Splits text into lines at CR, LF and CR LF.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace inifiles32
