// TSectionIniFile: the uninstaller's own INI engine. It reads install.log and
// edits the INI files an installation changed. Each line is normalised once on
// the way in and the image is answered from memory. While deletions are the
// only changes, the file is written back as it was read less the deleted
// lines; any other change writes the normalised image.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// A file that exists but cannot be read, or a text file that cannot be written.
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using TStrings = std::vector<std::string>;

// Where the engine's bytes come from and go to. Tests give their own.
class TIniStorage {
 public:
  virtual ~TIniStorage() = default;
  // The file's bytes; nothing when it does not exist. Throws EInOutError
  // ("Cannot open file <path>") when it exists but cannot be read.
  virtual std::optional<std::string> Read(const std::string& path) = 0;
  // Replaces the file (creating missing folders); false when it cannot.
  virtual bool Write(const std::string& path, const std::string& bytes) = 0;
};

// Whole-file reads and crash-safe replacement on the real file system.
TIniStorage& DefaultIniStorage();

namespace sectionini {

// The bytes of the file one line of the image was read from, [begin, end):
// the line from its first character through its line end.
struct RawSpan {
  size_t begin = 0;
  size_t end = 0;
  bool operator==(const RawSpan&) const = default;
};

}  // namespace sectionini

// Section names in file order, each owning its lines.
class TSectionList {
 public:
  struct Entry {
    std::string name;
    TStrings lines;
    // Where each line came from, one per line, for as long as the file is
    // kept byte for byte; empty otherwise.
    std::vector<sectionini::RawSpan> sources;
  };

  // Case-insensitive, starting at the last hit and wrapping round; -1 if missing.
  int IndexOf(std::string_view name);
  int Add(std::string name);
  void Delete(int index);
  // Removes every entry whose flag is set, keeping the order of the others.
  void DeleteMarked(const std::vector<bool>& marked);
  void Clear();
  int Count() const { return static_cast<int>(entries_.size()); }
  Entry& operator[](int i) { return entries_[static_cast<size_t>(i)]; }
  const Entry& operator[](int i) const { return entries_[static_cast<size_t>(i)]; }
  void ResetLastHit() { lastHit_ = 0; }

 private:
  std::vector<Entry> entries_;
  int lastHit_ = 0;
};

class TSectionIniFile {
 public:
  // Decides which of two same-named sections survives: true keeps `kept`.
  using DuplicateSectionHandler =
      std::function<bool(const std::string& name, const TStrings& kept, const TStrings& other)>;

  // Loads the file. Throws EInOutError when it exists but cannot be read.
  TSectionIniFile(std::string fileName, bool readOnly, bool skipComments, bool skipNonPairs,
                  bool trimPairs, bool stripQuotes, TIniStorage* storage = nullptr);
  virtual ~TSectionIniFile();
  TSectionIniFile(const TSectionIniFile&) = delete;
  TSectionIniFile& operator=(const TSectionIniFile&) = delete;

  // Writes back pending changes, then loads `name`; a name with neither "\"
  // nor ":" lies in the Windows folder.
  void SetFileName(std::string name);
  const std::string& FileName() const { return FileName_; }
  bool Modified() const { return Modified_; }
  bool ReadOnly() const { return ReadOnly_; }
  DuplicateSectionHandler OnDuplicateSection;

  virtual std::string ReadString(std::string_view section, std::string_view ident,
                                 std::string_view defaultValue);
  virtual void WriteString(std::string_view section, std::string_view ident, std::string_view value);
  virtual int32_t ReadInteger(std::string_view section, std::string_view ident, int32_t defaultValue);
  virtual void WriteInteger(std::string_view section, std::string_view ident, int32_t value);
  virtual bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue);
  virtual void WriteBool(std::string_view section, std::string_view ident, bool value);
  virtual void ReadSection(std::string_view section, TStrings& strings);
  virtual void ReadSections(TStrings& strings);
  virtual void ReadSectionValues(std::string_view section, TStrings& strings);
  virtual void WriteSectionValues(std::string_view section, const TStrings& strings);
  virtual void EraseSection(std::string_view section);
  virtual void DeleteKey(std::string_view section, std::string_view ident);
  virtual void GetStrings(TStrings& strings);
  virtual void UpdateFile();

 private:
  void Load();
  // The section's index for key operations, appended when `create`; -1 if missing.
  int FindSectionForKey(std::string_view section, bool create);
  static int FindLine(const TStrings& lines, std::string_view ident);
  void ResolveDuplicateSections();
  // Another change than a deletion: from now on the image is written whole.
  void StopKeepingBytes();
  // Takes the lines deleted so far out of their sections.
  void SettleDeletions();

  std::string FileName_;
  bool Modified_ = false;
  TSectionList Sections_;
  int SectionCursor_ = 0;
  bool ReadOnly_;
  bool SkipComments_;
  bool SkipNonPairs_;
  bool TrimPairs_;
  bool StripQuotes_;
  TIniStorage* Storage_;
  // The file as it was read while it is kept byte for byte (an editable file
  // with deletions as its only changes), and the spans deleted so far.
  std::optional<std::string> Original_;
  std::vector<sectionini::RawSpan> Deleted_;
  // Deleted lines wait here until anything else looks at their section. Each
  // deletion would otherwise scan the lines before it and move the lines
  // after it, and a log with many entries of one section would cost the
  // square of their number. A section gets an index of its names on its
  // first deletion; its lines go in one pass when they are settled.
  struct PendingDeletions {
    std::vector<bool> gone;  // per line of the section
    // upper-case name -> the lines of that name in order, and how many of
    // them are gone (always the first ones: a deletion takes the first line)
    std::map<std::string, std::pair<std::vector<size_t>, size_t>, std::less<>> byName;
  };
  std::map<int, PendingDeletions> Pending_;  // by section
};

namespace sectionini {

// Splits bytes into lines the way the reader sees them: a line ends at CR;
// LF is dropped wherever it stands, so an LF-only file is one line.
TStrings SplitAtCarriageReturns(std::string_view bytes);

// The same lines with the bytes each was read from. A span leaves out the LF
// characters before the line's text, which end blank lines of an editor's
// view, and takes in the CR, an LF right after it, or for a last line without
// CR the first LF after its text.
struct RawLine {
  std::string text;
  RawSpan span;
};
std::vector<RawLine> SplitRawLines(std::string_view bytes);

// `bytes` without the given spans, which must not overlap.
std::string WithoutSpans(std::string_view bytes, std::vector<RawSpan> spans);

// One raw line after trimming and the options; nothing when it is dropped.
struct LineOptions {
  bool skipComments, trimPairs, stripQuotes, skipNonPairs;
};
std::optional<std::string> NormaliseLine(std::string_view raw, const LineOptions& options);

// "[" name "]" after trimming.
bool IsSectionHeader(std::string_view line);

// The image as UpdateFile writes it.
std::string Serialise(const TSectionList& sections);

// The Windows folder used for names without a folder; tests may replace it.
extern std::function<std::string()> g_windowsFolder;

}  // namespace sectionini
