#include "uninstall/support/section_ini.h"

#include <algorithm>

#include "common/ansi.h"
#include "common/file_io.h"
#include "common/install_log.h"
#include "common/numbers.h"
#include "uninstall/support/folders.h"

namespace sectionini {

std::function<std::string()> g_windowsFolder = [] { return folders::WindowsFolder(); };

std::vector<RawLine> SplitRawLines(std::string_view bytes) {
  std::vector<RawLine> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t cr = bytes.find('\r', start);
    size_t textEnd = cr == std::string_view::npos ? bytes.size() : cr;
    RawLine line;
    for (size_t k = start; k < textEnd; ++k) {
      if (bytes[k] != '\n') line.text += bytes[k];
    }
    if (cr == std::string_view::npos && line.text.empty()) break;  // only LFs are left
    size_t begin = start;
    while (begin < textEnd && bytes[begin] == '\n') ++begin;
    size_t end;
    if (cr != std::string_view::npos) {
      end = cr + 1;
      if (end < bytes.size() && bytes[end] == '\n') ++end;
    } else {
      size_t last = textEnd;
      while (bytes[last - 1] == '\n') --last;
      end = last < textEnd ? last + 1 : textEnd;
    }
    line.span = RawSpan{begin, end};
    lines.push_back(std::move(line));
    start = cr == std::string_view::npos ? bytes.size() : end;
  }
  return lines;
}

TStrings SplitAtCarriageReturns(std::string_view bytes) {
  TStrings lines;
  for (RawLine& line : SplitRawLines(bytes)) lines.push_back(std::move(line.text));
  return lines;
}

std::string WithoutSpans(std::string_view bytes, std::vector<RawSpan> spans) {
  std::sort(spans.begin(), spans.end(), [](const RawSpan& a, const RawSpan& b) { return a.begin < b.begin; });
  std::string out;
  out.reserve(bytes.size());
  size_t at = 0;
  for (const RawSpan& span : spans) {
    out.append(bytes.substr(at, span.begin - at));
    at = span.end;
  }
  out.append(bytes.substr(at));
  return out;
}

bool IsSectionHeader(std::string_view line) {
  return line.size() >= 2 && line.front() == '[' && line.back() == ']';
}

std::optional<std::string> NormaliseLine(std::string_view raw, const LineOptions& options) {
  std::string line(ansi::Trim(raw));
  if (options.skipComments && !line.empty() && line.front() == ';') line.clear();
  if (line.empty()) return std::nullopt;
  if (IsSectionHeader(line)) return line;
  size_t eq = line.find('=');
  if (options.trimPairs && eq != std::string::npos) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    size_t before = eq;
    while (before > 0 && blank(line[before - 1])) --before;
    size_t after = eq + 1;
    // "=" that begins the line keeps the blanks after it.
    if (before > 0) {
      while (after < line.size() && blank(line[after])) ++after;
    }
    // Each run goes in one erase: a character at a time costs a shift of
    // the rest of the line each.
    line.erase(eq + 1, after - eq - 1);
    line.erase(before, eq - before);
    eq = before;
  }
  if (options.stripQuotes && eq != std::string::npos && eq > 0 && line.size() - eq - 1 >= 2) {
    char q = line[eq + 1];
    if ((q == '"' || q == '\'') && line.back() == q) {
      line.pop_back();
      line.erase(eq + 1, 1);
    }
  }
  if (options.skipNonPairs && eq == std::string::npos) return std::nullopt;
  return line;
}

std::string Serialise(const TSectionList& sections) {
  std::string out;
  for (int i = 0; i < sections.Count(); ++i) {
    const TSectionList::Entry& e = sections[i];
    if (e.lines.empty()) continue;
    out += "[" + e.name + "]\r\n";
    for (const std::string& line : e.lines) out += line + "\r\n";
    out += "\r\n";
  }
  return out;
}

}  // namespace sectionini

namespace {

class FileStorage : public TIniStorage {
 public:
  std::optional<std::string> Read(const std::string& path) override {
    try {
      return fileio::ReadWholeFile(path);
    } catch (const EFOpenError&) {
      throw EInOutError("Cannot open file " + path);
    }
  }
  bool Write(const std::string& path, const std::string& bytes) override {
    bool exists = fileio::FileExists(path);
    // A file that may not be written (read-only, locked) keeps its contents.
    if (exists && !folders::CanOpenForWriting(path)) return false;
    if (!exists) folders::ForceFolders(folders::ParentOf(path));
    try {
      fileio::ReplaceFileContents(path, bytes);
      return true;
    } catch (const std::exception&) {
      // Another program holding the file open prevents the rename over it,
      // but not a rewrite through an open of our own.
      return exists && folders::RewriteInPlace(path, bytes);
    }
  }
};

std::string_view NameOfLine(std::string_view line) { return line.substr(0, line.find('=')); }

}  // namespace

TIniStorage& DefaultIniStorage() {
  // Never destroyed: the open-file table writes back through it at exit,
  // after function-local statics made later than the table are gone.
  static FileStorage* storage = new FileStorage;
  return *storage;
}

// ---- TSectionList --------------------------------------------------------

int TSectionList::IndexOf(std::string_view name) {
  int n = Count();
  if (n == 0) return -1;
  if (lastHit_ >= n || lastHit_ < 0) lastHit_ = 0;
  for (int k = 0; k < n; ++k) {
    int i = (lastHit_ + k) % n;
    if (ansi::SameText(entries_[static_cast<size_t>(i)].name, name)) {
      lastHit_ = i;
      return i;
    }
  }
  return -1;
}

int TSectionList::Add(std::string name) {
  entries_.push_back(Entry{std::move(name), {}, {}});
  return Count() - 1;
}

void TSectionList::Delete(int index) {
  entries_.erase(entries_.begin() + index);
  if (lastHit_ >= Count()) lastHit_ = 0;
}

void TSectionList::DeleteMarked(const std::vector<bool>& marked) {
  size_t kept = 0;
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (i < marked.size() && marked[i]) continue;
    if (kept != i) entries_[kept] = std::move(entries_[i]);
    ++kept;
  }
  entries_.resize(kept);
  if (lastHit_ >= Count()) lastHit_ = 0;
}

void TSectionList::Clear() {
  entries_.clear();
  lastHit_ = 0;
}

// ---- TSectionIniFile ----------------------------------------------------

TSectionIniFile::TSectionIniFile(std::string fileName, bool readOnly, bool skipComments,
                                 bool skipNonPairs, bool trimPairs, bool stripQuotes,
                                 TIniStorage* storage)
    : ReadOnly_(readOnly),
      SkipComments_(skipComments),
      SkipNonPairs_(skipNonPairs),
      TrimPairs_(trimPairs),
      StripQuotes_(stripQuotes),
      Storage_(storage ? storage : &DefaultIniStorage()) {
  SetFileName(std::move(fileName));
}

TSectionIniFile::~TSectionIniFile() { UpdateFile(); }

void TSectionIniFile::SetFileName(std::string name) {
  UpdateFile();
  Sections_.Clear();
  Pending_.clear();
  SectionCursor_ = 0;
  Original_.reset();
  Deleted_.clear();
  if (!name.empty() && name.find_first_of("\\/:") == std::string::npos) {
#ifdef _WIN32
    name = sectionini::g_windowsFolder() + "\\" + name;
#else
    name = sectionini::g_windowsFolder() + "/" + name;
#endif
  }
  FileName_ = std::move(name);
  if (!FileName_.empty()) Load();
  Modified_ = false;
}

void TSectionIniFile::Load() {
  std::optional<std::string> bytes = Storage_->Read(FileName_);
  if (!bytes) return;
  // A user's INI file keeps what the image leaves out (comments, text before
  // the first section, repeated sections, its own spacing and line ends)
  // when an entry is taken out of it; a file only read needs no copy.
  const bool keepBytes = !ReadOnly_;
  const sectionini::LineOptions options{SkipComments_, TrimPairs_, StripQuotes_, SkipNonPairs_};
  int current = -1;
  for (sectionini::RawLine& raw : sectionini::SplitRawLines(*bytes)) {
    std::optional<std::string> line = sectionini::NormaliseLine(raw.text, options);
    if (!line) continue;
    if (sectionini::IsSectionHeader(*line)) {
      current = Sections_.Add(line->substr(1, line->size() - 2));
    } else if (current >= 0) {
      Sections_[current].lines.push_back(std::move(*line));
      if (keepBytes) Sections_[current].sources.push_back(raw.span);
    }
  }
  ResolveDuplicateSections();
  if (keepBytes) Original_ = std::move(*bytes);
}

void TSectionIniFile::StopKeepingBytes() {
  Original_.reset();
  Deleted_.clear();
}

void TSectionIniFile::SettleDeletions() {
  for (auto& [s, pending] : Pending_) {
    TSectionList::Entry& entry = Sections_[s];
    const bool sources = Original_.has_value();
    size_t kept = 0;
    for (size_t i = 0; i < entry.lines.size(); ++i) {
      if (pending.gone[i]) continue;
      if (kept != i) {
        entry.lines[kept] = std::move(entry.lines[i]);
        if (sources) entry.sources[kept] = entry.sources[i];
      }
      ++kept;
    }
    entry.lines.resize(kept);
    if (sources) {
      entry.sources.resize(kept);
    } else {
      entry.sources.clear();
    }
  }
  Pending_.clear();
}

void TSectionIniFile::ResolveDuplicateSections() {
  // Of two same-named sections the first in the file stays; the other's lines
  // are dropped, not merged, so a repeated header cannot add records.
  const int n = Sections_.Count();
  if (n < 2) return;
  // Sorting the folded names finds every repeat without comparing each pair
  // of sections, which a log of many thousands of sections cannot afford.
  std::vector<std::pair<std::string, int>> byName;
  byName.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) byName.emplace_back(ansi::UpperCase(Sections_[i].name), i);
  std::sort(byName.begin(), byName.end());
  // (first of the name, repeat): the handler is asked in the order of the
  // first sections, and for each of them in file order.
  std::vector<std::pair<int, int>> repeats;
  for (size_t k = 1; k < byName.size(); ++k) {
    size_t first = k - 1;
    while (k < byName.size() && byName[k].first == byName[first].first) {
      repeats.emplace_back(byName[first].second, byName[k].second);
      ++k;
    }
  }
  if (repeats.empty()) return;
  std::sort(repeats.begin(), repeats.end());
  std::vector<bool> dropped(static_cast<size_t>(n), false);
  for (const auto& [i, j] : repeats) {
    bool keepFirst = !OnDuplicateSection ||
                     OnDuplicateSection(Sections_[i].name, Sections_[i].lines, Sections_[j].lines);
    if (!keepFirst) {
      std::swap(Sections_[i].lines, Sections_[j].lines);
      std::swap(Sections_[i].sources, Sections_[j].sources);
    }
    dropped[static_cast<size_t>(j)] = true;
  }
  Sections_.DeleteMarked(dropped);
  Modified_ = true;
}

int TSectionIniFile::FindSectionForKey(std::string_view section, bool create) {
  int n = Sections_.Count();
  if (SectionCursor_ >= n || SectionCursor_ < 0) SectionCursor_ = 0;
  for (int k = 0; k < n; ++k) {
    int i = (SectionCursor_ + k) % n;
    if (ansi::SameText(Sections_[i].name, section)) {
      SectionCursor_ = i;
      return i;
    }
  }
  if (!create) return -1;
  SectionCursor_ = Sections_.Add(std::string(section));
  return SectionCursor_;
}

int TSectionIniFile::FindLine(const TStrings& lines, std::string_view ident) {
  for (size_t i = 0; i < lines.size(); ++i) {
    if (ansi::SameText(NameOfLine(lines[i]), ident)) return static_cast<int>(i);
  }
  return -1;
}

std::string TSectionIniFile::ReadString(std::string_view section, std::string_view ident,
                                        std::string_view defaultValue) {
  SettleDeletions();
  int s = FindSectionForKey(section, false);
  if (s < 0) return std::string(defaultValue);
  const TStrings& lines = Sections_[s].lines;
  int i = FindLine(lines, ident);
  if (i < 0) return std::string(defaultValue);
  return installlog::EntryValue(lines[static_cast<size_t>(i)]);
}

void TSectionIniFile::WriteString(std::string_view section, std::string_view ident,
                                  std::string_view value) {
  SettleDeletions();
  if (ident.empty()) {
    if (!section.empty() || !value.empty()) {
      EraseSection(section);
    } else {
      UpdateFile();
    }
    return;
  }
  std::string line = std::string(ident) + "=" + std::string(value);
  TStrings& lines = Sections_[FindSectionForKey(section, true)].lines;
  int i = FindLine(lines, ident);
  if (i < 0) {
    lines.push_back(std::move(line));
    Modified_ = true;
    StopKeepingBytes();
  } else if (lines[static_cast<size_t>(i)] != line) {
    lines[static_cast<size_t>(i)] = std::move(line);
    Modified_ = true;
    StopKeepingBytes();
  }
}

int32_t TSectionIniFile::ReadInteger(std::string_view section, std::string_view ident,
                                     int32_t defaultValue) {
  return numbers::StrToIntDef(ReadString(section, ident, ""), defaultValue);
}

void TSectionIniFile::WriteInteger(std::string_view section, std::string_view ident, int32_t value) {
  WriteString(section, ident, std::to_string(value));
}

bool TSectionIniFile::ReadBool(std::string_view section, std::string_view ident, bool defaultValue) {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TSectionIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

void TSectionIniFile::ReadSection(std::string_view section, TStrings& strings) {
  SettleDeletions();
  int s = Sections_.IndexOf(section);
  if (s < 0) return;
  for (const std::string& line : Sections_[s].lines) strings.emplace_back(NameOfLine(line));
}

void TSectionIniFile::ReadSections(TStrings& strings) {
  strings.clear();
  for (int i = 0; i < Sections_.Count(); ++i) strings.push_back(Sections_[i].name);
}

void TSectionIniFile::ReadSectionValues(std::string_view section, TStrings& strings) {
  SettleDeletions();
  int s = Sections_.IndexOf(section);
  if (s < 0) return;
  const TStrings& lines = Sections_[s].lines;
  TStrings result = lines;
  if (!strings.empty()) {
    // The section's names, folded and sorted once, instead of a scan of the
    // section for every line of the caller's list.
    std::vector<std::string> names;
    names.reserve(lines.size());
    for (const std::string& l : lines) names.push_back(ansi::UpperCase(NameOfLine(l)));
    std::sort(names.begin(), names.end());
    for (const std::string& extra : strings) {
      if (!std::binary_search(names.begin(), names.end(), ansi::UpperCase(NameOfLine(extra)))) {
        result.push_back(extra);
      }
    }
  }
  strings = std::move(result);
}

void TSectionIniFile::WriteSectionValues(std::string_view section, const TStrings& strings) {
  for (const std::string& line : strings) {
    WriteString(section, NameOfLine(line), installlog::EntryValue(line));
  }
}

void TSectionIniFile::EraseSection(std::string_view section) {
  SettleDeletions();
  int s = Sections_.IndexOf(section);
  if (s >= 0) {
    Sections_.Delete(s);
    Modified_ = true;
    StopKeepingBytes();
  }
  Sections_.ResetLastHit();
  SectionCursor_ = 0;
}

void TSectionIniFile::DeleteKey(std::string_view section, std::string_view ident) {
  const int s = FindSectionForKey(section, true);
  const TSectionList::Entry& entry = Sections_[s];
  auto [at, added] = Pending_.try_emplace(s);
  PendingDeletions& pending = at->second;
  if (added) {
    pending.gone.assign(entry.lines.size(), false);
    for (size_t i = 0; i < entry.lines.size(); ++i) {
      pending.byName[ansi::UpperCase(NameOfLine(entry.lines[i]))].first.push_back(i);
    }
  }
  auto named = pending.byName.find(ansi::UpperCase(ident));
  if (named == pending.byName.end()) return;
  auto& [lines, goneCount] = named->second;
  if (goneCount == lines.size()) return;
  const size_t i = lines[goneCount++];
  pending.gone[i] = true;
  if (Original_) Deleted_.push_back(entry.sources[i]);
  Modified_ = true;
}

void TSectionIniFile::GetStrings(TStrings& strings) {
  SettleDeletions();
  for (int i = 0; i < Sections_.Count(); ++i) {
    const TSectionList::Entry& e = Sections_[i];
    if (e.lines.empty()) continue;
    strings.push_back("[" + e.name + "]");
    strings.insert(strings.end(), e.lines.begin(), e.lines.end());
    strings.emplace_back();
  }
}

void TSectionIniFile::UpdateFile() {
  SettleDeletions();
  if (!Modified_) return;
  if (!FileName_.empty() && !ReadOnly_) {
    // A file that cannot be written keeps its old contents; the edit is dropped.
    Storage_->Write(FileName_, Original_ ? sectionini::WithoutSpans(*Original_, Deleted_)
                                         : sectionini::Serialise(Sections_));
  }
  Modified_ = false;
}
