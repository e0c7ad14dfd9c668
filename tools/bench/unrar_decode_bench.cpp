// Decoding speed of every compressed member of the fixture archives: ours
// through the archive code in test mode, and libarchive's on the same
// volumes in the same run, as a yardstick. Prints a Markdown table with MB/s
// for each, their ratio, and what libarchive made of each member (a wrong
// CRC32, an error, or nothing at all).
//
//   unrar_decode_bench FIXTURE_DIR...   (each with a MANIFEST.tsv)
//
// Each archive is decoded in whole passes, repeated until a second has gone
// by (at most five passes); a member's time is its best pass.
#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "unrar/crc32.h"
#include "unrar/rar_archive.h"
#include "unrar/rar_codes.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr double kPassSeconds = 1.0;
constexpr int kMaxPasses = 5;

std::vector<std::vector<std::string>> ReadTsv(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream ss(line);
    std::string cell;
    while (std::getline(ss, cell, '\t')) cells.push_back(cell);
    if (!cells.empty()) rows.push_back(cells);
  }
  return rows;
}

// The header CRC32 of every member the fixture tables know: (archive, name) -> hex.
std::map<std::pair<std::string, std::string>, std::string> ExpectedCrcs(const fs::path& dir) {
  std::map<std::pair<std::string, std::string>, std::string> crcs;
  for (const auto& r : ReadTsv(dir / "MEMBERS.tsv"))
    if (r.size() > 9) crcs[{r[0], r[1]}] = r[9];
  for (const auto& a : ReadTsv(dir / "MANIFEST.tsv"))
    for (const auto& r : ReadTsv(dir / "expected" / (a[0] + ".tsv")))
      if (r.size() > 3) crcs[{a[0], r[0]}] = r[3];
  return crcs;
}

// Every volume of the set that starts with first, in order.
std::vector<std::string> Volumes(const fs::path& first) {
  std::vector<std::string> out{first.string()};
  const std::string name = first.filename().string();
  const size_t part = name.rfind(".part");
  if (part != std::string::npos && name.size() > 4) {
    const size_t digits = name.size() - 4 - (part + 5);
    for (int n = 2;; ++n) {
      std::string number = std::to_string(n);
      if (number.size() < digits) number.insert(0, digits - number.size(), '0');
      fs::path next = first.parent_path() / (name.substr(0, part + 5) + number + ".rar");
      if (!fs::exists(next)) break;
      out.push_back(next.string());
    }
    return out;
  }
  for (int n = 0;; ++n) {
    char ext[16];
    std::snprintf(ext, sizeof ext, ".r%02d", n);
    fs::path next = first;
    next.replace_extension(ext);
    if (!fs::exists(next)) break;
    out.push_back(next.string());
  }
  return out;
}

struct Timing {
  double best = 1e300;
  int code = -1;
  std::string status;
  uint64_t size = 0;
};

std::string Hex(uint32_t v) {
  char s[9];
  std::snprintf(s, sizeof s, "%08x", v);
  return s;
}

// One pass of ours: the compressed members tested, the rest skipped.
void OursPass(const std::string& archive, std::map<std::string, Timing>& t, std::vector<std::string>& order,
              std::map<std::string, std::string>& methods) {
  rar::FileVolumeOpener opener;
  rar::Archive a(opener, nullptr);
  if (a.Open(archive, rar::kModeExtract) != rar::kSuccess) return;
  for (;;) {
    rar::Member m;
    if (a.ReadHeader(m) != rar::kSuccess) break;
    const bool compressed = !m.stored && !m.is_dir && !m.encrypted && !m.is_link;
    if (!compressed) {
      a.ProcessFile(rar::kSkip, nullptr, nullptr);
      continue;
    }
    if (!t.count(m.name)) {
      order.push_back(m.name);
      methods[m.name] = "v" + std::to_string(m.unp_ver) + ":m" + std::to_string(m.method - 0x30);
    }
    Timing& x = t[m.name];
    const auto start = Clock::now();
    x.code = a.ProcessFile(rar::kTest, nullptr, nullptr);
    x.best = std::min(x.best, std::chrono::duration<double>(Clock::now() - start).count());
    x.size = m.unp_size;
  }
}

// One pass of libarchive over the same volumes.
void TheirsPass(const std::vector<std::string>& volumes, const std::map<std::string, std::string>& want,
                std::map<std::string, Timing>& t) {
  archive* a = archive_read_new();
  archive_read_support_format_rar(a);
  archive_read_support_format_rar5(a);
  std::vector<const char*> names;
  for (const auto& v : volumes) names.push_back(v.c_str());
  names.push_back(nullptr);
  if (archive_read_open_filenames(a, names.data(), 1 << 20) != ARCHIVE_OK) {
    archive_read_free(a);
    return;
  }
  std::vector<char> buffer(1 << 20);
  archive_entry* e;
  while (archive_read_next_header(a, &e) == ARCHIVE_OK) {
    const char* path = archive_entry_pathname_utf8(e);
    if (!path) path = archive_entry_pathname(e);
    std::string name = path ? path : "";
    if (!want.count(name)) {
      archive_read_data_skip(a);
      continue;
    }
    Timing& x = t[name];
    uint32_t crc = 0;
    double crc_time = 0;
    uint64_t total = 0;
    bool failed = false;
    std::string error;
    const auto start = Clock::now();
    for (;;) {
      la_ssize_t n = archive_read_data(a, buffer.data(), buffer.size());
      if (n < 0) {
        failed = true;
        error = archive_error_string(a) ? archive_error_string(a) : "error";
        break;
      }
      if (n == 0) break;
      const auto c0 = Clock::now();
      crc = rar::Crc32(crc, buffer.data(), static_cast<size_t>(n));
      crc_time += std::chrono::duration<double>(Clock::now() - c0).count();
      total += static_cast<uint64_t>(n);
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count() - crc_time;
    if (failed) {
      x.status = "error: " + error;
    } else if (Hex(crc) != want.at(name)) {
      x.status = "bad CRC (" + Hex(crc) + ")";
    } else {
      x.status = "ok";
      x.best = std::min(x.best, seconds);
    }
    x.size = total;
    if (failed) {
      // A stream that failed cannot be read on.
      for (const auto& [rest, crc] : want)
        if (!t.count(rest)) t[rest].status = "not reached";
      break;
    }
  }
  archive_read_free(a);
}

std::string Rate(const Timing& t, uint64_t size) {
  if (t.best >= 1e300 || t.best <= 0) return "-";
  char s[32];
  std::snprintf(s, sizeof s, "%.1f", size / 1e6 / t.best);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "C.UTF-8");
  if (argc < 2) {
    std::fprintf(stderr, "usage: unrar_decode_bench FIXTURE_DIR...\n");
    return 2;
  }
  std::printf("| archive | member | method | MB | ours MB/s | libarchive MB/s | ours / libarchive | ours | libarchive |\n");
  std::printf("|---|---|---|---:|---:|---:|---:|---|---|\n");
  double ours_total = 0, theirs_total = 0;
  uint64_t both_bytes = 0;
  for (int i = 1; i < argc; ++i) {
    const fs::path dir = argv[i];
    const auto crcs = ExpectedCrcs(dir);
    for (const auto& row : ReadTsv(dir / "MANIFEST.tsv")) {
      const fs::path first = dir / row[0];
      std::map<std::string, Timing> ours, theirs;
      std::vector<std::string> order;
      std::map<std::string, std::string> methods;
      double spent = 0;
      for (int pass = 0; pass < kMaxPasses && spent < kPassSeconds; ++pass) {
        const auto start = Clock::now();
        OursPass(first.string(), ours, order, methods);
        spent += std::chrono::duration<double>(Clock::now() - start).count();
      }
      if (order.empty()) continue;
      std::map<std::string, std::string> want;
      for (const auto& name : order) {
        auto it = crcs.find({row[0], name});
        want[name] = it == crcs.end() ? "?" : it->second;
      }
      spent = 0;
      for (int pass = 0; pass < kMaxPasses && spent < kPassSeconds; ++pass) {
        const auto start = Clock::now();
        TheirsPass(Volumes(first), want, theirs);
        spent += std::chrono::duration<double>(Clock::now() - start).count();
      }
      for (const auto& name : order) {
        const Timing& o = ours[name];
        const Timing t = theirs.count(name) ? theirs[name] : Timing{1e300, -1, "not listed", 0};
        std::string ratio = "-";
        if (o.code == 0 && t.status == "ok") {
          char s[32];
          std::snprintf(s, sizeof s, "%.2f", t.best / o.best);
          ratio = s;
          ours_total += o.best;
          theirs_total += t.best;
          both_bytes += o.size;
        }
        std::printf("| %s | %s | %s | %.2f | %s | %s | %s | %s | %s |\n", row[0].c_str(), name.c_str(),
                    methods[name].c_str(), o.size / 1e6, o.code == 0 ? Rate(o, o.size).c_str() : "-",
                    Rate(t, o.size).c_str(), ratio.c_str(),
                    o.code == 0 ? "ok" : ("error " + std::to_string(o.code)).c_str(), t.status.c_str());
      }
    }
  }
  if (ours_total > 0 && theirs_total > 0)
    std::printf("\nMembers both decode correctly: %.1f MB; ours %.1f MB/s, libarchive %.1f MB/s (ours %.2fx).\n",
                both_bytes / 1e6, both_bytes / 1e6 / ours_total, both_bytes / 1e6 / theirs_total,
                theirs_total / ours_total);
  return 0;
}
