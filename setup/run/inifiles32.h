// TIniFile32: the setup program's reader and writer of INI-style files. It
// reads setup.ini and writes install.log. The whole file is a list of lines
// held exactly as they stand, kept by section so that a key is found in
// logarithmic time however long the log grows; every write rewrites the whole
// file, unless the file has a journal.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"

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
  // A copy holds the same lines; its journal, if any, opens afresh on its first write.
  TIniFile32(const TIniFile32& other);
  TIniFile32& operator=(const TIniFile32& other);
  TIniFile32(TIniFile32&&) = default;
  TIniFile32& operator=(TIniFile32&&) = default;
  ~TIniFile32() = default;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t defaultValue) const;
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
  // Fills `strings` with "key=value" for every line of the section that has a key.
  void ReadSectionValues(std::string_view section, std::vector<std::string>* strings) const;
  // Changes the list, then saves the whole file, or, with a journal, appends
  // the change to it. Throws EFCreateError when the file (or the journal)
  // cannot be written; the list keeps the change.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);

  // ---- The journal (install.log) ----------------------------------------
  // From now on a write appends one line to the journal beside the file
  // (journal::PathFor) instead of saving the whole file, so that each record
  // costs the same however long the log is. A journal left by a run that did
  // not end (a killed installation) is first folded into the file.
  void UseJournal();
  // Puts on record, in the journal only, an item about to be made, before
  // it exists: after a kill it is found and removed even when the program
  // died in the middle of making it. The list gets the record when the item
  // is made (WriteString); an intent never confirmed does not reach the
  // saved file.
  void Intend(std::string_view section, std::string_view key, std::string_view value);
  // Takes a record back: the first line of the key in the section goes, and
  // the journal says so.
  void Retract(std::string_view section, std::string_view key);
  // Saves the whole file in one step (flushed, then renamed over the old
  // one), then empties the journal. Throws EFCreateError.
  void Checkpoint();

  const std::string& FileName() const { return FileName_; }
  // The file's lines as they stand now.
  const std::vector<std::string>& Lines() const;

 private:
  // The lines from one section header (by the header rule) to the next; the
  // first segment holds the lines before any header and has none.
  struct Segment {
    std::string header;
    std::vector<std::string> lines;
    // The first line of each key, by its trimmed text before "=".
    std::map<std::string, size_t, std::less<>> keys;
  };

  const Segment* FindSection(std::string_view section) const;
  Segment* FindSection(std::string_view section);
  void Apply(std::string_view section, std::string_view key, std::string_view value);
  void RemoveLine(std::string_view section, std::string_view key);
  void AppendToJournal(const std::string& line);
  void Save() const;

  std::string FileName_;
  std::vector<Segment> Segments_;
  std::map<std::string, size_t> Sections_;  // upper-case name -> first segment whose header names it
  mutable std::vector<std::string> Lines_;  // made on demand
  mutable bool LinesStale_ = true;
  bool Journaled_ = false;
  std::unique_ptr<fileio::AppendFile> Journal_;
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
