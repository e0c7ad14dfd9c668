// The recorded facts about the real archives in fixtures/ and the check that
// one extraction run (through the core or through the library) agrees with them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unrar/sha256.h"
#include "unrar/codepage.h"

namespace fixtures {

inline std::string Dir() {
#ifdef _WIN32
  return std::string("Z:") + UNRAR_FIXTURES;
#else
  return UNRAR_FIXTURES;
#endif
}

inline std::vector<std::vector<std::string>> ReadTsv(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    std::stringstream ss(line);
    std::string cell;
    while (std::getline(ss, cell, '\t')) cells.push_back(cell);
    if (!cells.empty()) rows.push_back(cells);
  }
  return rows;
}

// Member names as the published interface reports them: code page 866, backslashes.
inline std::string Key(const std::string& utf8) {
  std::string k = rar::OemFromUtf8(utf8);
  std::replace(k.begin(), k.end(), '/', '\\');
  return k;
}

inline std::filesystem::path Utf8Path(const std::string& s) {
  return std::filesystem::path(std::u8string(s.begin(), s.end()));
}

inline std::string PathUtf8(const std::filesystem::path& p) {
  std::u8string u = p.u8string();
  return std::string(u.begin(), u.end());
}

inline std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct MemberRow {
  std::string name, kind, stored, encrypted, status, sha256;
};

struct MemberResult {
  std::string key;
  int code;
};

struct Run {
  int open_code = 0;
  int end_code = 0;
  std::vector<MemberResult> members;
};

// Extracts every member of the archive into the folder; reports what happened.
using Extractor = std::function<Run(const std::string& archive, const std::string& dest)>;

inline std::string Table(const std::string& archive, const Run& run) {
  std::string line = archive + "\topen=" + std::to_string(run.open_code);
  for (const auto& m : run.members) line += "\t" + rar::Utf8FromOem(m.key) + "=" + std::to_string(m.code);
  if (run.open_code == 0) line += "\tend=" + std::to_string(run.end_code);
  return line;
}

// Runs the extractor over every archive and checks the results; returns the table.
inline std::string CheckAll(const Extractor& extract, const std::filesystem::path& work) {
  const std::string dir = Dir();
  std::multimap<std::pair<std::string, std::string>, MemberRow> rows;
  for (const auto& r : ReadTsv(dir + "/MEMBERS.tsv")) {
    if (r.size() < 12) continue;
    rows.emplace(std::make_pair(r[0], Key(r[1])), MemberRow{r[1], r[2], r[4], r[5], r[10], r[11]});
  }
  std::string table;
  int extracted_ok = 0, wanted_rows = 0;
  for (const auto& a : ReadTsv(dir + "/MANIFEST.tsv")) {
    const std::string& name = a[0];
    SCOPED_TRACE(name);
    const std::filesystem::path dest = work / name;
    std::filesystem::create_directories(dest);
    Run run = extract(dir + "/" + name, dest.string());
    table += Table(name, run) + "\n";
    std::map<std::string, int> codes;
    for (const auto& m : run.members) codes[m.key] = m.code;

    for (const auto& [key, row] : rows) {
      if (key.first != name) continue;
      SCOPED_TRACE(row.name);
      auto it = codes.find(key.second);
      const bool wanted = (row.kind == "file" || row.kind == "hardlink") && row.stored == "yes" && row.encrypted == "no" &&
                          row.status == "OK";
      if (wanted) {
        ++wanted_rows;
        if (it == codes.end()) {
          ADD_FAILURE() << "stored member never reported";
          continue;
        }
        ++extracted_ok;
        EXPECT_EQ(it->second, 0);
        EXPECT_EQ(Sha256Hex(ReadAll(dest / Utf8Path(row.name))), row.sha256);
        continue;
      }
      if (it == codes.end()) continue;
      int expected = -1;
      if (row.kind == "dir") expected = 0;
      else if (row.kind == "symlink") expected = 14;
      else if (row.encrypted == "yes") expected = 22;
      else if (row.stored == "no") expected = 14;
      if (expected >= 0) {
        EXPECT_EQ(it->second, expected);
      }
    }
    // Nothing but the members reported as extracted may be on disk.
    for (const auto& e : std::filesystem::recursive_directory_iterator(dest)) {
      if (!e.is_regular_file()) continue;
      std::string rel = PathUtf8(std::filesystem::relative(e.path(), dest));
      auto it = codes.find(Key(rel));
      EXPECT_TRUE(it != codes.end() && it->second == 0) << "stray file " << rel;
    }
  }
  EXPECT_GT(wanted_rows, 0);
  EXPECT_EQ(extracted_ok, wanted_rows);
  return table;
}

}  // namespace fixtures
