#include "common/timing.h"

#include <cstdio>
#include <cstdlib>

namespace timing {
namespace {

Probe* g_first = nullptr;

const char* ReportFile() {
  static const char* file = std::getenv("SOWELL_TIMING");
  return file && *file ? file : nullptr;
}

}  // namespace

// Writes the totals of every probe of this module when the module ends.
class Report {
 public:
  ~Report() {
    const char* file = ReportFile();
    if (!file || !g_first) return;
    std::FILE* out = std::fopen(file, "a");
    if (!out) return;
    for (Probe* p = g_first; p; p = p->next_) {
      const double seconds = std::chrono::duration<double>(p->total_).count();
      std::fprintf(out, "%-40s %10.3f s %10llu calls\n", p->name_, seconds,
                   static_cast<unsigned long long>(p->count_));
    }
    std::fclose(out);
  }
};

namespace {
Report g_report;
}  // namespace

Probe& Probe::Named(const char* name) {
  Probe* p = new Probe(name);
  p->next_ = g_first;
  g_first = p;
  return *p;
}

bool Probe::Enabled() { return ReportFile() != nullptr; }

}  // namespace timing
