// Any bytes as a user's INI file and an entry taken from them: removing the
// entry either leaves the file unwritten or writes it back with exactly one
// of the reader's lines taken out, every other byte in place, and a second
// reader sees the same file less that one line of the first section.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/ansi.h"
#include "uninstall/support/section_ini.h"

namespace {

class MemoryStorage : public TIniStorage {
 public:
  std::optional<std::string> Read(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  bool Write(const std::string& path, const std::string& bytes) override {
    ++writes;
    files[path] = bytes;
    return true;
  }
  std::map<std::string, std::string> files;
  int writes = 0;
};

// Every section in file order with its lines, as a reader sees the file.
std::vector<std::pair<std::string, TStrings>> Image(TSectionIniFile& ini) {
  TStrings names;
  ini.ReadSections(names);
  std::vector<std::pair<std::string, TStrings>> image;
  for (const std::string& name : names) {
    TStrings lines;
    ini.ReadSectionValues(name, lines);
    image.emplace_back(name, std::move(lines));
  }
  return image;
}

std::string NameOf(const std::string& line) { return line.substr(0, line.find('=')); }

void Fail() { __builtin_trap(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  // Three bytes choose the entry; the rest is the file.
  const uint8_t pickSection = data[0], pickLine = data[1], how = data[2];
  const std::string input(reinterpret_cast<const char*>(data) + 3, size - 3);
  const std::string path = "C:\\user.ini";

  MemoryStorage storage;
  storage.files[path] = input;
  std::vector<std::pair<std::string, TStrings>> before;
  {
    TSectionIniFile reader(path, true, true, true, true, true, &storage);
    before = Image(reader);
  }

  std::string section = "Absent";
  std::string entry = "absent";
  if (!before.empty()) {
    const auto& [name, lines] = before[pickSection % before.size()];
    section = (how & 1) ? ansi::LowerCase(name) : name;
    if (!lines.empty() && !(how & 2)) {
      entry = NameOf(lines[pickLine % lines.size()]);
      if (how & 4) entry = ansi::UpperCase(entry);
    }
  }

  // What a reader must see afterwards: the first line of that name gone from
  // the first section of that name, nothing else.
  std::vector<std::pair<std::string, TStrings>> expected = before;
  bool found = false;
  for (auto& [name, lines] : expected) {
    if (!ansi::SameText(name, section)) continue;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (ansi::SameText(NameOf(lines[i]), entry)) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        found = true;
        break;
      }
    }
    break;
  }

  {
    TSectionIniFile editor(path, false, true, true, true, true, &storage);
    editor.DeleteKey(section, entry);
  }
  const std::string& output = storage.files[path];
  if (!found) {
    if (storage.writes != 0 || output != input) Fail();
    return 0;
  }
  if (storage.writes != 1 || output.size() >= input.size()) Fail();

  // One stretch of bytes is gone and every other byte is where it was. The
  // stretch may sit anywhere from `first` to `prefix` when its neighbours
  // repeat it; one of those places must be a whole line with its line end:
  // it starts after a line end and ends after one (never between CR and
  // LF), or at the end of the file.
  size_t prefix = 0;
  while (prefix < output.size() && output[prefix] == input[prefix]) ++prefix;
  const size_t removed = input.size() - output.size();
  if (input.compare(prefix + removed, std::string::npos, output, prefix, std::string::npos) != 0) Fail();
  size_t suffix = 0;
  while (suffix < output.size() && output[output.size() - 1 - suffix] == input[input.size() - 1 - suffix]) {
    ++suffix;
  }
  const size_t first = input.size() - removed - std::min(suffix, input.size() - removed);
  auto isEnd = [](char c) { return c == '\r' || c == '\n'; };
  bool wholeLine = false;
  for (size_t at = first; at <= prefix && !wholeLine; ++at) {
    const size_t end = at + removed;
    bool startsLine = at == 0 || isEnd(input[at - 1]);
    bool endsLine = end == input.size() || (isEnd(input[end - 1]) && !(input[end - 1] == '\r' && input[end] == '\n'));
    wholeLine = startsLine && endsLine;
  }
  if (!wholeLine) Fail();

  // That stretch is one of the reader's lines: the lines of the output are
  // those of the input less one.
  const TStrings in = sectionini::SplitAtCarriageReturns(input);
  const TStrings out = sectionini::SplitAtCarriageReturns(output);
  if (out.size() + 1 != in.size()) Fail();
  size_t k = 0;
  while (k < out.size() && out[k] == in[k]) ++k;
  for (size_t j = k; j < out.size(); ++j) {
    if (out[j] != in[j + 1]) Fail();
  }

  TSectionIniFile again(path, true, true, true, true, true, &storage);
  if (Image(again) != expected) Fail();

  // Many deletions, some of names that are not there, with reads between
  // them: every read answers as the image less the lines deleted so far.
  TSectionIniFile many(path, false, true, true, true, true, &storage);
  std::vector<std::pair<std::string, TStrings>> model = expected;
  size_t pick = pickLine;
  for (int round = 0; round < 24 && !model.empty(); ++round) {
    pick = pick * 1103515245u + 12345u;
    auto& [name, lines] = model[(pick >> 8) % model.size()];
    std::string victim = lines.empty() || (pick & 16) ? "absent" : NameOf(lines[(pick >> 12) % lines.size()]);
    many.DeleteKey(name, victim);
    for (size_t i = 0; i < lines.size(); ++i) {
      if (ansi::SameText(NameOf(lines[i]), victim)) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        break;
      }
    }
    if (pick & 32) {
      TStrings now;
      many.ReadSectionValues(name, now);
      if (now != lines) Fail();
    }
  }
  many.UpdateFile();
  TSectionIniFile last(path, true, true, true, true, true, &storage);
  if (Image(last) != model) Fail();
  return 0;
}
