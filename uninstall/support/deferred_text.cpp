#include "uninstall/support/deferred_text.h"

#include <algorithm>

#include "common/ansi.h"

namespace deferred {
namespace {

std::vector<std::string> SplitTextLines(std::string_view text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

bool IsHeader(std::string_view line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }

std::string Base32(uint32_t value, size_t width) {
  static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
  std::string s;
  do {
    s.insert(s.begin(), kDigits[value % 32]);
    value /= 32;
  } while (value);
  if (s.size() < width) s.insert(0, width - s.size(), '0');
  return s;
}

}  // namespace

std::vector<std::string> DeleteEntry(std::string_view shortPath) {
  return {"NUL=" + std::string(shortPath)};
}

std::vector<std::string> MoveEntry(std::string_view shortNewName, std::string_view shortPath) {
  return {"NUL=" + std::string(shortNewName), std::string(shortNewName) + "=" + std::string(shortPath)};
}

std::string AddRenameEntry(const std::optional<std::string>& oldText, const std::vector<std::string>& entry) {
  std::vector<std::string> out;
  bool inRename = false;
  bool sawRename = false;
  bool written = false;
  auto writeEntry = [&] {
    out.insert(out.end(), entry.begin(), entry.end());
    written = true;
  };
  if (oldText) {
    for (const std::string& raw : SplitTextLines(*oldText)) {
      std::string line(ansi::Trim(raw));
      // A section that follows without an empty line also ends "[Rename]";
      // an entry appended after it would land in the wrong section.
      if (inRename && !written && (line.empty() || IsHeader(line))) writeEntry();
      if (IsHeader(line)) {
        inRename = ansi::SameText(line, "[Rename]");
        sawRename = sawRename || inRename;
      }
      out.push_back(std::move(line));
    }
  }
  if (!sawRename) out.emplace_back("[Rename]");
  if (!written) writeEntry();
  std::string text;
  for (const std::string& line : out) text += line + "\r\n";
  return text;
}

RunOnceRename RunOnceRenameFor(std::string_view shortNewName, std::string_view longFileName) {
  return RunOnceRename{"Rename " + std::string(shortNewName),
                       "command.com /c ren " + std::string(shortNewName) + " \"" + std::string(longFileName) + "\""};
}

std::string BatchQuotedPath(std::string_view path) {
  std::string out = "\"";
  for (char c : path) {
    if (c == '%') out += '%';
    out += c;
  }
  return out + "\"";
}

std::optional<std::string> SelfDeletionBatch(std::string_view programPath, std::string_view programFolder,
                                             std::string_view batchPath, bool removeFolder,
                                             const std::vector<std::string>& foldersAbove) {
  static constexpr std::string_view kUnsafe("\"*?<>|\r\n\0", 9);
  auto unsafe = [](std::string_view p) { return p.empty() || p.find_first_of(kUnsafe) != std::string_view::npos; };
  for (std::string_view p : {programPath, programFolder, batchPath}) {
    if (unsafe(p)) return std::nullopt;
  }
  if (removeFolder && programFolder.empty()) return std::nullopt;
  std::string text = ":try\r\n";
  text += "del " + BatchQuotedPath(programPath) + "\r\n";
  text += "if exist " + BatchQuotedPath(programPath) + " goto try\r\n";
  if (removeFolder) {
    text += "rd " + BatchQuotedPath(programFolder) + "\r\n";
    for (const std::string& folder : foldersAbove) {
      if (!unsafe(folder)) text += "rd " + BatchQuotedPath(folder) + "\r\n";
    }
  }
  text += "del " + BatchQuotedPath(batchPath) + "\r\n";
  return text;
}

SelfDeletionFolders FoldersOf(std::string_view programPath) {
  SelfDeletionFolders f;
  size_t slash = programPath.rfind('\\');
  if (slash == std::string_view::npos || slash == 0) return f;
  std::string folder(programPath.substr(0, slash));
  // The root of a drive has no folder above it to hold the batch file.
  if (folder.size() <= 2 && folder.back() == ':') return f;
  size_t up = folder.rfind('\\');
  if (up == std::string::npos) return f;
  f.programFolder = folder;
  f.parentFolder = folder.substr(0, up + 1);
  return f;
}

std::string UniqueNameCandidate(std::string_view prefix, std::string_view suffix, bool shortName,
                                const ClockReading& clock) {
  std::string p(prefix);
  if (shortName && p.size() > 4) p.resize(4);
  int y = clock.year % 10;
  uint32_t day = static_cast<uint32_t>(y * 365 + y / 4 + clock.dayOfYear);
  uint32_t hundredths = static_cast<uint32_t>(clock.hour * 360000 + clock.minute * 6000 + clock.second * 100 +
                                              clock.milliseconds / 10);
  std::string n = Base32(day, 3) + Base32(hundredths, 5);
  if (shortName) n.erase(0, std::min(n.size(), p.size()));
  return p + n + std::string(suffix);
}

bool IsFindHit(uint32_t attributes, uint32_t include, uint32_t exclude, std::string_view name) {
  if (include == 0) include = 63;
  if (name == "." || name == "..") return false;
  return (include == 63 || (attributes & include) != 0) && (attributes & exclude) == 0;
}

}  // namespace deferred
