// The recorded facts about the real archives in fixtures/ and fixtures2/ and
// the check that one extraction run (through the core or through the
// library) agrees with them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unrar/sha256.h"
#include "unrar/codepage.h"
#include "unrar/crc32.h"

namespace fixtures {

inline std::string HostPath(const std::string& dir) {
#ifdef _WIN32
  return std::string("Z:") + dir;
#else
  return dir;
#endif
}

inline std::string Dir() { return HostPath(UNRAR_FIXTURES); }
inline std::string Dir2() { return HostPath(UNRAR_FIXTURES2); }

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

// The CRC32 of a file in lower-case hex, read in pieces: some members are
// far larger than a test should hold at once.
inline std::string FileCrc(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  if (!in) return "<missing>";
  std::vector<char> buffer(1 << 20);
  uint32_t crc = 0;
  while (in) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    crc = rar::Crc32(crc, buffer.data(), static_cast<size_t>(in.gcount()));
  }
  char hex[9];
  std::snprintf(hex, sizeof hex, "%08x", crc);
  return hex;
}

// Removes what a run extracted; some members come out read-only, which
// Windows will not delete as they are.
inline void RemoveTree(const std::filesystem::path& dir) {
  std::error_code ec;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir, ec))
    std::filesystem::permissions(e.path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(dir, ec);
}

struct MemberRow {
  std::string name, kind;
  bool stored = false, encrypted = false;
  std::string crc32;   // from the header, lower-case hex
  std::string sha256;  // of the original, empty when unknown
};

struct ArchiveRow {
  std::string file;
  // Made to break readers (fuzzed or crafted): anything but a crash, a hang
  // or a wrong file counted as good is right.
  bool hostile = false;
};

struct FixtureSet {
  std::string dir;
  std::vector<ArchiveRow> archives;
  std::multimap<std::pair<std::string, std::string>, MemberRow> members;  // (archive, key)
};

inline bool Hex64(const std::string& s) { return s.size() == 64; }

// fixtures/: MANIFEST.tsv and MEMBERS.tsv.
inline FixtureSet LoadSet1() {
  FixtureSet set;
  set.dir = Dir();
  for (const auto& a : ReadTsv(set.dir + "/MANIFEST.tsv")) {
    const std::string notes = a.size() > 7 ? a[7] : "";
    set.archives.push_back({a[0], notes.find("origin=fuzzed") != std::string::npos ||
                                      notes.find("origin=crafted") != std::string::npos});
  }
  for (const auto& r : ReadTsv(set.dir + "/MEMBERS.tsv")) {
    if (r.size() < 12) continue;
    set.members.emplace(std::make_pair(r[0], Key(r[1])),
                        MemberRow{r[1], r[2], r[4] == "yes", r[5] == "yes", r[9], Hex64(r[11]) ? r[11] : ""});
  }
  return set;
}

// fixtures2/: MANIFEST.tsv and one expected/<archive>.tsv each.
inline FixtureSet LoadSet2() {
  FixtureSet set;
  set.dir = Dir2();
  for (const auto& a : ReadTsv(set.dir + "/MANIFEST.tsv")) {
    set.archives.push_back({a[0], false});
    for (const auto& r : ReadTsv(set.dir + "/expected/" + a[0] + ".tsv")) {
      if (r.size() < 9) continue;
      set.members.emplace(std::make_pair(a[0], Key(r[0])),
                          MemberRow{r[0], r[1], r[6] == "m0", false, r[3], Hex64(r[8]) ? r[8] : ""});
    }
  }
  return set;
}

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

inline std::string Table(const std::string& archive, const Run& run, double seconds) {
  char time[32];
  std::snprintf(time, sizeof time, "%.2fs", seconds);
  std::string line = archive + "\t" + time + "\topen=" + std::to_string(run.open_code);
  for (const auto& m : run.members) line += "\t" + rar::Utf8FromOem(m.key) + "=" + std::to_string(m.code);
  if (run.open_code == 0) line += "\tend=" + std::to_string(run.end_code);
  return line;
}

// Longest a hostile archive may take to be refused.
constexpr double kHostileSeconds = 60;

// Runs the extractor over every archive of the set and checks the results:
// every file member of an archive made by the archiver that is not
// encrypted comes out with the header's CRC32 and the original's SHA-256
// where one is known; folders are made, links and encrypted members
// refused; hostile archives end within a bounded time and whatever they
// report as extracted has its header's CRC32. Returns the table of results.
inline std::string CheckAll(const Extractor& extract, const std::filesystem::path& work, const FixtureSet& set) {
  std::string table;
  int extracted_ok = 0, wanted_rows = 0;
  for (const auto& archive : set.archives) {
    const std::string& name = archive.file;
    SCOPED_TRACE(name);
    const std::filesystem::path dest = work / name;
    std::filesystem::create_directories(dest);
    const auto start = std::chrono::steady_clock::now();
    Run run = extract(set.dir + "/" + name, dest.string());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    table += Table(name, run, seconds) + "\n";
    std::map<std::string, int> codes;
    for (const auto& m : run.members) {
      codes[m.key] = m.code;
      EXPECT_TRUE(m.code == 0 || (m.code >= 11 && m.code <= 22)) << m.key << " gave " << m.code;
    }
    if (archive.hostile) {
      EXPECT_LT(seconds, kHostileSeconds);
      EXPECT_NE(run.open_code == 0 ? run.end_code : run.open_code, 0);
    } else if (run.open_code == 0) {
      EXPECT_EQ(run.end_code, 10);
    }

    for (const auto& [key, row] : set.members) {
      if (key.first != name) continue;
      SCOPED_TRACE(row.name);
      auto it = codes.find(key.second);
      const bool file = row.kind == "file" || row.kind == "hardlink";
      if (file && !row.encrypted && !archive.hostile) {
        ++wanted_rows;
        if (it == codes.end()) {
          ADD_FAILURE() << "member never reported";
          continue;
        }
        EXPECT_EQ(it->second, 0);
        if (it->second != 0) continue;
        ++extracted_ok;
        const auto path = dest / Utf8Path(row.name);
        if (row.kind == "file") {
          EXPECT_EQ(FileCrc(path), row.crc32);
        }
        if (!row.sha256.empty()) {
          EXPECT_EQ(Sha256Hex(ReadAll(path)), row.sha256);
        }
        continue;
      }
      if (it == codes.end()) continue;
      if (row.kind == "dir") {
        EXPECT_EQ(it->second, 0);
      } else if (row.kind == "symlink") {
        EXPECT_EQ(it->second, 14);
      } else if (row.encrypted) {
        EXPECT_EQ(it->second, 22);
      } else if (file && it->second == 0 && row.kind == "file") {
        EXPECT_EQ(FileCrc(dest / Utf8Path(row.name)), row.crc32) << "reported as extracted";
      }
    }
    // Nothing but the members reported as extracted may be on disk.
    for (const auto& e : std::filesystem::recursive_directory_iterator(dest)) {
      if (!e.is_regular_file()) continue;
      std::string rel = PathUtf8(std::filesystem::relative(e.path(), dest));
      auto it = codes.find(Key(rel));
      EXPECT_TRUE(it != codes.end() && it->second == 0) << "stray file " << rel;
    }
    RemoveTree(dest);
  }
  EXPECT_GT(wanted_rows, 0);
  EXPECT_EQ(extracted_ok, wanted_rows);
  return table;
}

}  // namespace fixtures
