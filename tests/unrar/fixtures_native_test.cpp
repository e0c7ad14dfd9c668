// The real archives through the portable core, as the library runs them.
#include <gtest/gtest.h>

#include <iostream>

#include "tests/common/temp_dir.h"
#include "tests/unrar/fixture_check.h"
#include "unrar/rar_archive.h"
#include "unrar/rar_codes.h"

namespace {

fixtures::Run ExtractWithCore(const std::string& archive, const std::string& dest) {
  rar::FileVolumeOpener opener;
  auto output = rar::MakeLocalOutput();
  rar::Archive a(opener, output.get());
  fixtures::Run run;
  run.open_code = a.Open(archive, rar::kModeExtract);
  if (run.open_code) return run;
  for (int guard = 0; guard < 10000; ++guard) {
    rar::Member m;
    int r = a.ReadHeader(m);
    if (r) {
      run.end_code = r;
      break;
    }
    run.members.push_back({fixtures::Key(m.name), a.ProcessFile(rar::kExtract, dest.c_str(), nullptr)});
  }
  return run;
}

TEST(RarFixtures, CoreExtractsEveryMemberOfTheFirstSet) {
  TempDir work;
  std::string table = fixtures::CheckAll(ExtractWithCore, work.Path(), fixtures::LoadSet1());
  std::cout << table;
}

TEST(RarFixtures, CoreExtractsEveryMemberOfTheOldAndCompressedSet) {
  TempDir work;
  std::string table = fixtures::CheckAll(ExtractWithCore, work.Path(), fixtures::LoadSet2());
  std::cout << table;
}

}  // namespace
