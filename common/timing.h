// Where a run spends its time: named probes that add up the time spent inside
// them. They cost nothing unless the environment variable SOWELL_TIMING names
// a file; then each module appends its totals to that file when it ends. A
// tool for finding what to make faster, not a feature of the programs.
#pragma once

#include <chrono>
#include <cstdint>

namespace timing {

// One named total. Made once per name and never destroyed, so that the
// report at the module's end still finds it.
class Probe {
 public:
  static Probe& Named(const char* name);
  void Add(std::chrono::steady_clock::duration d) {
    total_ += d;
    ++count_;
  }
  static bool Enabled();

 private:
  friend class Report;
  explicit Probe(const char* name) : name_(name) {}
  const char* name_;
  std::chrono::steady_clock::duration total_{};
  uint64_t count_ = 0;
  Probe* next_ = nullptr;
};

// Adds the time from its making to its end to the probe.
class Scope {
 public:
  explicit Scope(Probe& probe) : probe_(Probe::Enabled() ? &probe : nullptr) {
    if (probe_) start_ = std::chrono::steady_clock::now();
  }
  ~Scope() {
    if (probe_) probe_->Add(std::chrono::steady_clock::now() - start_);
  }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

 private:
  Probe* probe_;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace timing

// TIMED("name") times the rest of the enclosing block.
#define SOWELL_TIMING_CAT2(a, b) a##b
#define SOWELL_TIMING_CAT(a, b) SOWELL_TIMING_CAT2(a, b)
#define TIMED(name)                                                                     \
  static timing::Probe& SOWELL_TIMING_CAT(probe_, __LINE__) = timing::Probe::Named(name); \
  timing::Scope SOWELL_TIMING_CAT(scope_, __LINE__)(SOWELL_TIMING_CAT(probe_, __LINE__))
