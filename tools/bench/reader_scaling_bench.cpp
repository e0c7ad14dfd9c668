// Runs every reader and writer of the portable core on generated input of a
// base size and of ten times that size, and prints how the time grows: a
// ratio near 10 is linear, near 11 to 12 is n log n, near 100 is quadratic.
// Usage: reader_scaling_bench [-b SECONDS] [-r FACTOR] [-s SCALE] [NAME-FILTER]
//   -b  skip the large run of a case whose base run took longer (default 30)
//   -r  the size factor of the large run (default 10)
//   -s  the base run at SCALE times the base size (default 1): with -s 10 both
//       runs are too large for the processor's caches, which otherwise make
//       the large run of a linear case look slower per byte
// Each size is timed as the fastest of several runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "common/install_log.h"
#include "common/numbers.h"
#include "setup/run/inifiles32.h"
#include "setup/run/macros.h"
#include "setup/regfile/regfile_parser.h"
#include "setup/run/setup_description.h"
#include "uninstall/removal_rules.h"
#include "uninstall/support/deferred_text.h"
#include "uninstall/support/section_ini.h"
#include "unrar/codepage.h"
#include "unrar/member_path.h"

namespace {

volatile size_t g_sink;  // keeps the work from being optimised away

class MemoryStorage : public TIniStorage {
 public:
  std::optional<std::string> Read(const std::string& path) override {
    auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  bool Write(const std::string& path, const std::string& bytes) override {
    files[path] = bytes;
    return true;
  }
  std::map<std::string, std::string> files;
};

struct Input {
  std::string bytes;
  std::string path;  // the same bytes on disk, for readers that take a file
};

struct Case {
  const char* what;
  std::function<std::string(size_t scale)> make;
  std::function<void(const Input&)> run;
};

std::string Repeat(const std::string& piece, size_t times) {
  std::string s;
  s.reserve(piece.size() * times);
  for (size_t i = 0; i < times; ++i) s += piece;
  return s;
}

// ---- Registry files -------------------------------------------------------

void ParseAndPrepare(const Input& in) {
  regfile::TRegFileParser parser(in.bytes);
  size_t n = 0;
  while (auto op = parser.Next()) {
    ++n;
    if (op->kind == regfile::Operation::Kind::SetValue) {
      n += regfile::PrepareValue(*op, "C:\\Prog\\App\\", "D:\\Setup\\").bytes.size();
    }
  }
  g_sink = g_sink + n;
}

std::string RegFile(const std::string& valueLines) {
  return "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Bench]\r\n" + valueLines;
}

// ---- The section reader ---------------------------------------------------

TSectionIniFile OpenSections(MemoryStorage& storage, const Input& in, bool readOnly) {
  storage.files["C:\\bench.ini"] = in.bytes;
  return TSectionIniFile("C:\\bench.ini", readOnly, true, true, true, true, &storage);
}

std::string ManySections(size_t count) {
  // Every eighth header repeats the one before it, as a log written twice might.
  std::string s;
  for (size_t i = 0; i < count; ++i) {
    s += "[S" + std::to_string(i % 8 == 7 ? i - 1 : i) + "]\r\nk=" + std::to_string(i) + "\r\n";
  }
  return s;
}

std::string NumberedLines(const char* prefix, size_t count, const char* value) {
  std::string s;
  for (size_t i = 0; i < count; ++i) s += std::string(prefix) + std::to_string(i) + "=" + value + "\r\n";
  return s;
}

std::string PathLines(size_t count, const char* folder) {
  std::string s;
  for (size_t i = 0; i < count; ++i) {
    s += std::string("C:\\Program Files\\") + folder + "\\data\\" + std::to_string(i % 97) + "\\file" +
         std::to_string(i) + ".dat=\r\n";
  }
  return s;
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
    lines.push_back(text.substr(start, at - start));
  }
  return lines;
}

const size_t kMB = 1000 * 1000;

std::vector<Case> Cases() {
  std::vector<Case> cases;

  cases.push_back({"registry string of \\\" pairs: parse and prepare",
                   [](size_t k) { return RegFile("\"Big\"=\"" + Repeat("\\\"", 750 * 1000 * k) + "\"\r\n"); },
                   ParseAndPrepare});
  cases.push_back({"registry string of \\\\ runs: parse and prepare",
                   [](size_t k) { return RegFile("\"Big\"=\"" + Repeat("a\\\\\\\\", 375 * 1000 * k) + "\"\r\n"); },
                   ParseAndPrepare});
  cases.push_back({"registry dword of bad digits: parse",
                   [](size_t k) { return RegFile("\"N\"=dword:" + std::string(1500 * 1000 * k, 'z') + "\r\n"); },
                   ParseAndPrepare});
  cases.push_back({"registry hex list on one line: parse",
                   [](size_t k) { return RegFile("\"B\"=hex:" + Repeat("ab,", 500 * 1000 * k) + "cd\r\n"); },
                   ParseAndPrepare});
  cases.push_back({"registry hex list of bad pairs: parse",
                   [](size_t k) { return RegFile("\"B\"=hex:" + Repeat("zz,", 500 * 1000 * k) + "cd\r\n"); },
                   ParseAndPrepare});
  cases.push_back({"registry hex list, continuation lines: parse",
                   [](size_t k) {
                     return RegFile("\"B\"=hex:" + Repeat(Repeat("ab,", 25) + "\\\r\n  ", 18 * 1000 * k) + "cd\r\n");
                   },
                   ParseAndPrepare});
  cases.push_back({"registry file of many keys and values: parse",
                   [](size_t k) {
                     std::string s = "REGEDIT4\r\n";
                     for (size_t i = 0; i < 20 * 1000 * k; ++i) {
                       s += "\r\n[HKEY_CURRENT_USER\\Software\\Bench\\K" + std::to_string(i) +
                            "]\r\n\"Path\"=\"%InstallPath%\\\\bin\"\r\n\"N\"=dword:0000000a\r\n";
                     }
                     return s;
                   },
                   ParseAndPrepare});

  cases.push_back({"macro expansion: a line of backslashes",
                   [](size_t k) { return std::string(1500 * 1000 * k, '\\'); },
                   [](const Input& in) { g_sink = g_sink + ExpandMacros(in.bytes, "C:\\Prog\\App\\", "D:\\").size(); }});
  cases.push_back({"macro expansion: a line full of macros",
                   [](size_t k) { return Repeat("%InstallPath%\\%SourceDrive%\\", 50 * 1000 * k); },
                   [](const Input& in) { g_sink = g_sink + ExpandMacros(in.bytes, "C:\\Prog\\App\\", "D:\\").size(); }});

  cases.push_back({"install.log of many sections: section reader load",
                   [](size_t k) { return ManySections(80 * 1000 * k); },
                   [](const Input& in) {
                     MemoryStorage storage;
                     TSectionIniFile ini = OpenSections(storage, in, true);
                     TStrings lines;
                     ini.ReadSectionValues("S1", lines);
                     g_sink = g_sink + lines.size();
                   }});
  cases.push_back({"long runs of blanks around \"=\": section reader load",
                   [](size_t k) {
                     std::string blanks(100 * 1000 * k, ' ');
                     std::string s = "[S]\r\n";
                     for (int j = 0; j < 8; ++j) s += "k" + std::to_string(j) + blanks + "=" + blanks + "v\r\n";
                     return s;
                   },
                   [](const Input& in) {
                     MemoryStorage storage;
                     TSectionIniFile ini = OpenSections(storage, in, true);
                     g_sink = g_sink + ini.ReadString("S", "k7", "").size();
                   }});
  cases.push_back({"install.log CopyFiles: load and read the section",
                   [](size_t k) { return "\r\n[CopyFiles]\r\n" + PathLines(25 * 1000 * k, "Bench"); },
                   [](const Input& in) {
                     MemoryStorage storage;
                     TSectionIniFile ini = OpenSections(storage, in, true);
                     TStrings lines;
                     ini.ReadSectionValues("CopyFiles", lines);
                     g_sink = g_sink + lines.size();
                   }});
  cases.push_back({"section values merged with a caller's list",
                   [](size_t k) { return "[S]\r\n" + NumberedLines("key", 40 * 1000 * k, "value"); },
                   [](const Input& in) {
                     MemoryStorage storage;
                     TSectionIniFile ini = OpenSections(storage, in, true);
                     TStrings mine;
                     for (const std::string& line : SplitCrLf(in.bytes)) mine.push_back("other" + line);
                     ini.ReadSectionValues("S", mine);
                     g_sink = g_sink + mine.size();
                   }});
  cases.push_back({"user's INI file: 100 entries removed, written back",
                   [](size_t k) {
                     std::string s = "; settings\r\n";
                     for (size_t sec = 0; sec < 100; ++sec) {
                       s += "[Sec" + std::to_string(sec) + "]\r\n; comment\r\n" +
                            NumberedLines("Entry", 500 * k, " \"value with blanks\" ");
                     }
                     return s;
                   },
                   [](const Input& in) {
                     MemoryStorage storage;
                     {
                       TSectionIniFile ini = OpenSections(storage, in, false);
                       for (int sec = 0; sec < 100; ++sec) ini.DeleteKey("Sec" + std::to_string(sec), "Entry7");
                     }
                     g_sink = g_sink + storage.files["C:\\bench.ini"].size();
                   }});

  cases.push_back({"user's INI file: every entry of a section removed",
                   [](size_t k) { return "; settings\r\n[S]\r\n" + NumberedLines("Entry", 100 * 1000 * k, "1"); },
                   [](const Input& in) {
                     MemoryStorage storage;
                     size_t count = SplitCrLf(in.bytes).size() - 2;
                     {
                       TSectionIniFile ini = OpenSections(storage, in, false);
                       for (size_t i = count; i-- > 0;) ini.DeleteKey("S", "entry" + std::to_string(i));
                     }
                     g_sink = g_sink + storage.files["C:\\bench.ini"].size();
                   }});

  cases.push_back({"setup.ini: TIniFile32 load",
                   [](size_t k) { return "[Install]\r\nProgramName=Bench\r\n[Package0]\r\n" +
                                         NumberedLines("Pak", 50 * 1000 * k, "archive.rar"); },
                   [](const Input& in) { g_sink = g_sink + TIniFile32(in.path).Lines().size(); }});
  cases.push_back({"setup.ini: load and read every numbered key",
                   [](size_t k) {
                     std::string s = "[Install]\r\nProgramName=Bench\r\n[Packages]\r\n";
                     s += NumberedLines("Package", 2 * 1000 * k, "Part");
                     for (size_t i = 0; i < 2 * 1000 * k; ++i) {
                       s += "[Package" + std::to_string(i) + "]\r\nMain=1\r\nFilesCount=3\r\nPak0=a.rar\r\n";
                     }
                     s += "[RunApp]\r\n" + NumberedLines("App", 5 * 1000 * k, "%InstallPath%\\run.exe");
                     s += "[DelFiles]\r\n" + NumberedLines("File", 5 * 1000 * k, "%InstallPath%\\tmp.dat");
                     return s;
                   },
                   [](const Input& in) {
                     TIniFile32 ini(in.path);
                     std::vector<TPackageItem> packages = LoadPackageList(ini);
                     size_t n = packages.size();
                     for (size_t i = 0; i < packages.size(); ++i) {
                       n += ReadNumberedKeys(ini, ChoosePackageSection(ini, static_cast<int>(i), false), "Pak").size();
                     }
                     n += ReadNumberedKeys(ini, "RunApp", "App").size();
                     n += ReadNumberedKeys(ini, "DelFiles", "File").size();
                     g_sink = g_sink + n;
                   }});

  cases.push_back({"log records: fields of a long line",
                   [](size_t k) { return "\"C:\\App\\run.exe\"," + Repeat("'a,''b''',\"c,d\",e,", 100 * 1000 * k); },
                   [](const Input& in) {
                     size_t n = installlog::SplitFields(in.bytes).size();
                     n += installlog::GetField(in.bytes, 2).size() + installlog::GetField(in.bytes, 1000000).size();
                     n += installlog::ParseProgramRecord(in.bytes).file.size();
                     n += installlog::ParseIniEntryRecord(in.bytes).entry.size();
                     n += installlog::ParseFontSpec(in.bytes).face.size();
                     g_sink = g_sink + n;
                   }});
  cases.push_back({"log records: quotes, line breaks, numbers of a long line",
                   [](size_t k) { return "'" + Repeat("ab''||\r\n\\", 150 * 1000 * k) + "'"; },
                   [](const Input& in) {
                     size_t n = installlog::Dequote(in.bytes, '\'').size();
                     n += installlog::ExpandLineBreaks(in.bytes).size();
                     n += installlog::ProtectValue(in.bytes).size();
                     n += installlog::SplitRegValuePath(in.bytes).keyPath.size();
                     n += installlog::EntryPath(in.bytes).size() + installlog::EntryValue(in.bytes).size();
                     n += static_cast<size_t>(numbers::StrToIntDef(std::string(in.bytes.size(), '0'), 1));
                     n += installlog::AddRegRecord("HKCU\\Software\\Bench", "v", in.bytes)->value.size();
                     g_sink = g_sink + n;
                   }});
  cases.push_back({"log records: CreateDirs in removal order",
                   [](size_t k) { return PathLines(25 * 1000 * k, "Bench"); },
                   [](const Input& in) { g_sink = g_sink + installlog::DeepestFirst(SplitCrLf(in.bytes)).size(); }});

  cases.push_back({"shared files: index and look up every file",
                   [](size_t k) { return PathLines(25 * 1000 * k, "Bench"); },
                   [](const Input& in) {
                     std::vector<std::string> lines = SplitCrLf(in.bytes);
                     removal::PathSet copied = removal::EntryPathSet(lines);
                     removal::PathSet kept = removal::KeptSharedFileSet(lines);
                     size_t n = 0;
                     for (const std::string& line : lines) {
                       std::string path = installlog::EntryPath(line);
                       n += copied.Contains(path) + kept.Contains(path);
                     }
                     g_sink = g_sink + n;
                   }});

  cases.push_back({"wininit.ini: add a rename entry",
                   [](size_t k) { return "[Other]\r\n" + NumberedLines("x", 40 * 1000 * k, "y") + "[Rename]\r\n" +
                                         NumberedLines("NUL", 40 * 1000 * k, "C:\\old.dll"); },
                   [](const Input& in) {
                     g_sink = g_sink + deferred::AddRenameEntry(in.bytes, deferred::DeleteEntry("C:\\PROGRA~1\\A.DLL")).size();
                   }});

  cases.push_back({"member names: path check and code page 866",
                   [](size_t k) { return Repeat("folder\xD0\x9F\xD1\x83\xD1\x82\xD1\x8C/", 100 * 1000 * k) + "CON.txt"; },
                   [](const Input& in) {
                     std::vector<std::string> parts;
                     size_t n = rar::SafeComponents(in.bytes, parts) ? 1 : 0;
                     n += parts.size();
                     std::string oem = rar::OemFromUtf8(in.bytes);
                     n += rar::Utf8FromOem(oem).size();
                     g_sink = g_sink + n;
                   }});
  return cases;
}

// The fastest of five runs, more while under a second, fewer when they take
// over ten: other work on the machine only ever makes a run slower.
double Time(const Case& c, const Input& in) {
  using Clock = std::chrono::steady_clock;
  double best = 0;
  double total = 0;
  for (int runs = 0; runs == 0 || total < 1 || (runs < 5 && total < 10); ++runs) {
    auto start = Clock::now();
    c.run(in);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    best = runs == 0 ? seconds : std::min(best, seconds);
    total += seconds;
  }
  return best;
}

Input Prepare(const std::string& bytes, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
  return Input{bytes, path};
}

}  // namespace

int main(int argc, char** argv) {
  double budget = 30;
  size_t factor = 10;
  size_t scale = 1;
  const char* filter = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-b") == 0 && i + 1 < argc) budget = std::atof(argv[++i]);
    else if (std::strcmp(argv[i], "-r") == 0 && i + 1 < argc) factor = static_cast<size_t>(std::atol(argv[++i]));
    else if (std::strcmp(argv[i], "-s") == 0 && i + 1 < argc) scale = static_cast<size_t>(std::atol(argv[++i]));
    else filter = argv[i];
  }
  const std::string path = (std::filesystem::temp_directory_path() / "reader_scaling_bench.ini").string();
#ifdef __GLIBC__
  // Buffers above 32 MB would get fresh pages from the system at every run,
  // whose faults cost time per byte that only the large runs pay; keeping all
  // memory in the heap times both sizes alike.
  mallopt(M_MMAP_MAX, 0);
  mallopt(M_TRIM_THRESHOLD, INT32_MAX);
#endif

  const std::string small = std::to_string(scale) + "x";
  const std::string large = std::to_string(scale * factor) + "x";
  std::printf("%-52s %12s %10s %12s %10s %7s\n", "what", ("bytes " + small).c_str(), ("s " + small).c_str(),
              ("bytes " + large).c_str(), ("s " + large).c_str(), "ratio");
  for (const Case& c : Cases()) {
    if (filter && !std::strstr(c.what, filter)) continue;
    Input base = Prepare(c.make(scale), path);
    double t1 = Time(c, base);
    std::printf("%-52s %12zu %10.4f ", c.what, base.bytes.size(), t1);
    std::fflush(stdout);
    if (t1 > budget) {
      std::printf("%12s %10s %7s\n", "-", "skipped", "-");
      continue;
    }
    Input big = Prepare(c.make(scale * factor), path);
    double t10 = Time(c, big);
    std::printf("%12zu %10.4f %7.1f\n", big.bytes.size(), t10, t10 / t1);
    std::fflush(stdout);
  }
  std::remove(path.c_str());
  return 0;
}
