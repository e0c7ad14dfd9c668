// Shared by the tests of the decoders of unpack versions 15, 20 and 26: the
// fixture members of those versions and a driver that decodes one member.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/unrar/unpack/packed_member.h"
#include "unrar/rar_codes.h"
#include "unrar/unpack/decoder.h"

namespace oldtest {

struct Fixture {
  std::string archive;
  unpacktest::PackedMember m;
};

// Every compressed, unencrypted, unsplit member of the given versions in
// both fixture folders.
inline std::vector<Fixture> MembersOfVersions(std::vector<unsigned> versions) {
  std::vector<Fixture> found;
  std::vector<std::filesystem::path> files;
  for (const char* dir : {UNRAR_FIXTURES, UNRAR_FIXTURES2})
    for (const auto& e : std::filesystem::directory_iterator(dir))
      if (e.is_regular_file()) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  for (const auto& f : files) {
    for (auto& m : unpacktest::ReadPackedMembers(unpacktest::ReadWhole(f.string()))) {
      bool wanted = false;
      for (unsigned v : versions) wanted |= m.params.version == v;
      if (!wanted || m.member.stored || m.member.encrypted || m.member.split_before || m.member.split_after) continue;
      found.push_back({f.filename().string(), std::move(m)});
    }
  }
  return found;
}

struct Result {
  int code = -1;
  uint32_t crc = 0;
  uint64_t total = 0;
  std::string bytes;
  double seconds = 0;
};

inline Result Run(rar::unpack::Decoder& d, const std::string& packed, const rar::unpack::MemberParams& p,
                  size_t step = 1 << 16, size_t keep = SIZE_MAX) {
  unpacktest::StringInput in(packed, step);
  unpacktest::CollectingOutput out(keep);
  const auto t0 = std::chrono::steady_clock::now();
  Result r;
  r.code = d.Decode(in, out, p);
  r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  r.crc = out.crc;
  r.total = out.total;
  r.bytes = std::move(out.bytes);
  return r;
}

inline Result RunFresh(const std::string& packed, const rar::unpack::MemberParams& p, size_t step = 1 << 16,
                       size_t keep = SIZE_MAX) {
  auto d = rar::unpack::MakeDecoder(p.version);
  return Run(*d, packed, p, step, keep);
}

}  // namespace oldtest
