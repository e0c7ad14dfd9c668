#include "common/install_log.h"

#include <algorithm>

#include "common/ansi.h"
#include "common/numbers.h"

namespace installlog {
namespace {

bool IsQuote(char c) { return c == '"' || c == '\''; }

std::string ReplaceLineBreaks(std::string_view text, std::string_view with) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out.append(with);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

Record Simple(std::string_view section, std::string_view key) {
  return Record{std::string(section), std::string(key), std::string()};
}

}  // namespace

// ---- Composing ----------------------------------------------------------

std::string ProtectValue(std::string_view value) {
  std::string v = ReplaceLineBreaks(value, " ");
  std::replace(v.begin(), v.end(), '\0', ' ');
  if (v.empty()) return v;
  // The reader trims control characters and blanks at both ends and strips
  // one pair of equal quotes; one more pair of quotes survives both.
  bool blankEnds = static_cast<unsigned char>(v.front()) <= 32 || static_cast<unsigned char>(v.back()) <= 32;
  bool quoted = v.size() >= 2 && IsQuote(v.front()) && v.front() == v.back();
  if (blankEnds || quoted) return "\"" + v + "\"";
  return v;
}

bool PathRecordReadsBack(std::string_view path) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  // The reader trims the line's start, drops comment lines and ends lines at
  // CR; LF it drops wherever it stands.
  if (path.empty() || static_cast<unsigned char>(path.front()) <= 32 || path.front() == ';' ||
      path.find_first_of("\r\n") != std::string_view::npos) {
    return false;
  }
  // It removes blanks and tabs on both sides of the line's first "=", which is
  // the record's own when the path holds none. Nothing follows the record's
  // "=", so no quotes are ever stripped.
  size_t eq = path.find('=');
  if (eq == std::string_view::npos) return !blank(path.back());
  if (eq == 0) return true;
  return !blank(path[eq - 1]) && (eq + 1 >= path.size() || !blank(path[eq + 1]));
}

Record ShortcutRecord(std::string_view shortcutPath) { return Simple(kShortcuts, shortcutPath); }
Record CreateKeyRecord(std::string_view registryPath) { return Simple(kCreateKeys, registryPath); }
Record CreateDirRecord(std::string_view folderPath) { return Simple(kCreateDirs, folderPath); }
Record CopyFileRecord(std::string_view filePath) { return Simple(kCopyFiles, filePath); }

Record CharsetRecord(int charset) {
  return Record{std::string(kDisplay), std::string(kCharset), std::to_string(charset)};
}

Record StringRecord(int number, std::string_view text) {
  return Record{std::string(kStrings), TextKey(number), ProtectValue(ReplaceLineBreaks(text, "||"))};
}

std::optional<Record> AddRegRecord(std::string_view keyPath, std::string_view valueName,
                                   std::string_view data) {
  // The reader ends the key at the first "=", and a line break would end the
  // record: such a record would name another value, so none is written.
  auto unreadable = [](std::string_view s) {
    return s.find_first_of(std::string_view("=\r\n\0", 4)) != std::string_view::npos;
  };
  // The reader also trims the line, so a key may not begin with a blank.
  if (keyPath.empty() || static_cast<unsigned char>(keyPath.front()) <= 32 || unreadable(keyPath) ||
      unreadable(valueName)) {
    return std::nullopt;
  }
  std::string key(keyPath);
  key += "\\'";
  for (char c : valueName) {
    if (c == '\'') key += '\'';
    key += c;
  }
  key += '\'';
  return Record{std::string(kAddReg), std::move(key), ProtectValue(data)};
}

// ---- Splitting ----------------------------------------------------------

std::string EntryPath(std::string_view line) {
  size_t eq = line.rfind('=');
  return eq == std::string_view::npos ? std::string() : std::string(line.substr(0, eq));
}

std::string EntryName(std::string_view line) {
  return std::string(line.substr(0, line.find('=')));
}

std::string EntryValue(std::string_view line) {
  size_t eq = line.find('=');
  return eq == std::string_view::npos ? std::string() : std::string(line.substr(eq + 1));
}

std::vector<std::string> SplitFields(std::string_view text) {
  std::vector<std::string> fields(1);
  char quote = 0;
  bool fieldStart = true;
  for (char c : text) {
    if (quote) {
      if (c == quote) quote = 0;
      fields.back() += c;
    } else if (c == ',') {
      fields.emplace_back();
      fieldStart = true;
      continue;
    } else {
      if (fieldStart && IsQuote(c)) quote = c;
      fields.back() += c;
    }
    fieldStart = false;
  }
  return fields;
}

std::string Dequote(std::string_view text, char quote) {
  if (text.empty() || text.front() != quote) return std::string(text);
  std::string out;
  for (size_t i = 1; i < text.size(); ++i) {
    if (text[i] == quote) {
      if (i + 1 < text.size() && text[i + 1] == quote) {
        out += quote;
        ++i;
      } else {
        break;
      }
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string GetField(std::string_view text, int n) {
  if (n < 1) return std::string();
  std::vector<std::string> fields = SplitFields(text);
  if (static_cast<size_t>(n) > fields.size()) return std::string();
  return Dequote(fields[static_cast<size_t>(n) - 1], '\'');
}

RegValuePath SplitRegValuePath(std::string_view key) {
  char quote = 0;
  for (size_t i = key.size(); i-- > 0;) {
    char c = key[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (IsQuote(c)) {
      quote = c;
    } else if (c == '\\') {
      return RegValuePath{std::string(key.substr(0, i)), Dequote(key.substr(i + 1), '\'')};
    }
  }
  return RegValuePath{std::string(), Dequote(key, '\'')};
}

std::string AddTrailingBackslash(std::string_view path) {
  std::string p(path);
  if (!p.empty() && p.back() != '\\') p += '\\';
  return p;
}

std::string RemoveTrailingBackslash(std::string_view path) {
  bool driveRoot = path.size() == 3 && path[1] == ':' && path[2] == '\\' &&
                   ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  if (path.size() > 1 && path.back() == '\\' && !driveRoot) path.remove_suffix(1);
  return std::string(path);
}

RegistryPath SplitRegistryPath(std::string_view path) {
  std::string p = RemoveTrailingBackslash(path);
  size_t slash = p.find('\\');
  std::string first = p.substr(0, slash);
  for (char& c : first) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  }
  static constexpr std::pair<std::string_view, RegistryRoot> kRoots[] = {
      {"HKCR", RegistryRoot::ClassesRoot},
      {"HKCU", RegistryRoot::CurrentUser},
      {"HKLM", RegistryRoot::LocalMachine},
      {"HKU", RegistryRoot::Users},
  };
  for (const auto& [name, root] : kRoots) {
    if (first == name) {
      return RegistryPath{root, slash == std::string::npos ? std::string() : p.substr(slash + 1)};
    }
  }
  return RegistryPath{RegistryRoot::CurrentUser, p};
}

std::string_view RootName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot: return "HKCR";
    case RegistryRoot::CurrentUser: return "HKCU";
    case RegistryRoot::LocalMachine: return "HKLM";
    case RegistryRoot::Users: return "HKU";
  }
  return "HKCU";
}

ProgramRecord ParseProgramRecord(std::string_view value) {
  std::vector<std::string> f = SplitFields(value);
  f.resize(std::max<size_t>(f.size(), 6));
  for (std::string& field : f) field = Dequote(field, '\'');
  ProgramRecord r;
  r.file = Dequote(f[0], '"');
  r.parameters = f[1];
  r.folder = f[2];
  switch (numbers::StrToIntDef(f[3], 1)) {
    case 0: r.showCommand = kShowHide; break;
    case 2: r.showCommand = kShowMaximized; break;
    case 3: r.showCommand = kShowMinNoActive; break;
    default: r.showCommand = kShowNormal; break;
  }
  r.message = Dequote(f[4], '"');
  r.wait = (numbers::StrToIntDef(f[5], 1) & 0xFF) != 0;
  return r;
}

IniEntryRecord ParseIniEntryRecord(std::string_view key) {
  return IniEntryRecord{GetField(key, 1), GetField(key, 2), GetField(key, 3)};
}

FontSpec ParseFontSpec(std::string_view value) {
  FontSpec font;
  font.face = GetField(value, 1).substr(0, 31);
  font.size = numbers::StrToIntDef(GetField(value, 2), 8);
  font.colour = static_cast<uint32_t>(numbers::StrToIntDef(GetField(value, 3), 0));
  for (char c : GetField(value, 4)) {
    switch (ansi::UpperChar(c)) {
      case 'B': font.bold = true; break;
      case 'I': font.italic = true; break;
      case 'U': font.underline = true; break;
      case 'S': font.strikeout = true; break;
      default: break;
    }
  }
  return font;
}

int ParseCharset(std::string_view text) { return numbers::StrToIntDef(text, kDefaultCharset); }

std::string ExpandLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '|' && i + 1 < text.size() && text[i + 1] == '|') {
      out += '\r';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string TextKey(int number) { return std::to_string(number); }


int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    auto x = static_cast<unsigned char>(ansi::UpperChar(a[i]));
    auto y = static_cast<unsigned char>(ansi::UpperChar(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::string StageObject(const RemovalStage& stage, std::string_view line) {
  switch (stage.rule) {
    case KeyRule::LastEquals: return EntryPath(line);
    case KeyRule::FirstEquals: return EntryName(line);
    case KeyRule::Value: return EntryValue(line);
    case KeyRule::None: break;
  }
  return std::string();
}

std::vector<std::string> StageObjects(const RemovalStage& stage, const std::vector<std::string>& lines) {
  if (stage.deepestFirst) return DeepestFirst(lines);
  std::vector<std::string> objects;
  objects.reserve(lines.size());
  for (const std::string& line : lines) objects.push_back(StageObject(stage, line));
  return objects;
}

std::vector<std::string> DeepestFirst(const std::vector<std::string>& lines) {
  std::vector<std::string> paths;
  paths.reserve(lines.size());
  for (const std::string& line : lines) paths.push_back(EntryPath(line));
  std::stable_sort(paths.begin(), paths.end(),
                   [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
  std::reverse(paths.begin(), paths.end());
  return paths;
}

}  // namespace installlog
