// One pass over an archive through the core, member by member, with the
// operation chosen for each: what the tests of extraction share.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/rarwriter/rar_writer.h"
#include "unrar/rar_archive.h"
#include "unrar/rar_codes.h"

namespace membertest {

inline rarwriter::Entry File(std::string name, std::string data) {
  return {std::move(name), false, std::move(data), 1600000000, 0};
}

// Reads the next header again without processing the member.
constexpr int kReadOn = -1;

struct Result {
  int open = 0, end = 0;
  std::vector<std::pair<std::string, int>> members;  // name, result (kReadOn: not processed)
};

// ops[i] is done to member i; the last one repeats.
inline Result RunPlan(const std::string& archive, const std::string& dest, const std::vector<int>& ops,
                  rar::Archive::DataCallback data = nullptr) {
  rar::FileVolumeOpener opener;
  auto output = rar::MakeLocalOutput();
  rar::Archive a(opener, output.get());
  if (data) a.SetDataCallback(data);
  Result r;
  r.open = a.Open(archive, rar::kModeExtract);
  if (r.open) return r;
  for (size_t i = 0;; ++i) {
    rar::Member m;
    r.end = a.ReadHeader(m);
    if (r.end) break;
    const int op = ops[std::min(i, ops.size() - 1)];
    r.members.emplace_back(m.name, op == kReadOn ? kReadOn : a.ProcessFile(op, dest.c_str(), nullptr));
  }
  return r;
}

inline Result Extract(const std::string& archive, const std::string& dest, int op = rar::kExtract) {
  return RunPlan(archive, dest, {op});
}

}  // namespace membertest
