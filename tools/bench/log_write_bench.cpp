// Writes install-log records through TIniFile32 the way the installation run
// does (one [CopyFiles] record per extracted file, each intended ahead and then
// written, one journal line each, and the whole log saved once at the end,
// as at the end of a package) and prints records per
// second. With --whole every record saves the whole log instead, as the log
// was kept before it had a journal. Usage:
//   log_write_bench FOLDER [-t SECONDS] [--whole] [COUNT...]
// Each count stops early when it has run for the time budget (seconds).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "setup/run/inifiles32.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: log_write_bench FOLDER [-t SECONDS] [--whole] [COUNT...]\n");
    return 2;
  }
  std::string folder = argv[1];
  double budget = 120;
  bool whole = false;
  std::vector<long> counts;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "-t") == 0 && i + 1 < argc) budget = std::atof(argv[++i]);
    else if (std::strcmp(argv[i], "--whole") == 0) whole = true;
    else counts.push_back(std::atol(argv[i]));
  }
  if (counts.empty()) counts = {10000, 100000};

  std::printf("%10s %10s %10s %12s %12s\n", "records", "written", "seconds", "records/s", "log bytes");
  for (long count : counts) {
    std::string path = folder + "/bench-" + std::to_string(count) + ".log";
    std::remove(path.c_str());
    TIniFile32 log(path);
    if (!whole) log.UseJournal();
    log.WriteString("CreateDirs", "C:\\Program Files\\Notebook\\", "");
    auto start = std::chrono::steady_clock::now();
    double seconds = 0;
    long done = 0;
    size_t bytes = 0;
    while (done < count) {
      char key[96];
      std::snprintf(key, sizeof key, "C:\\Program Files\\Notebook\\data\\%03ld\\file%06ld.dat", done / 1000, done);
      if (!whole) log.Intend("CopyFiles", key, "");
      log.WriteString("CopyFiles", key, "");
      bytes += std::strlen(key) + 3;
      ++done;
      if ((done & 63) == 0) {
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (seconds > budget) break;
      }
    }
    if (!whole) log.Checkpoint();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%10ld %10ld %10.1f %12.0f %12zu%s\n", count, done, seconds, done / seconds, bytes,
                done < count ? "  (time budget reached)" : "");
    std::fflush(stdout);
    std::remove(path.c_str());
  }
  return 0;
}
