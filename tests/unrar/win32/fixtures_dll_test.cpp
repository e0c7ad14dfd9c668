// The real archives through the built library, called as a caller would.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>

#include "tests/common/temp_dir.h"
#include "tests/unrar/fixture_check.h"
#include "tests/unrar/win32/unrar_library.h"

namespace {

fixtures::Run ExtractWithLibrary(UnrarLibrary& lib, const std::string& archive,
                                 const std::string& dest) {
  fixtures::Run run;
  RAROpenArchiveData open{};
  std::string name = archive;
  char comment[1024];
  open.ArcName = name.data();
  open.OpenMode = 1;
  open.CmtBuf = comment;
  open.CmtBufSize = sizeof comment;
  HANDLE h = lib.Open(&open);
  run.open_code = static_cast<int>(open.OpenResult);
  if (!h) {
    EXPECT_NE(run.open_code, 0);
    return run;
  }
  EXPECT_EQ(run.open_code, 0);
  std::string oem_dest = rar::OemFromUtf8(dest);
  for (int guard = 0; guard < 10000; ++guard) {
    RARHeaderData header{};
    int r = lib.ReadHeader(h, &header);
    if (r) {
      run.end_code = r;
      break;
    }
    header.FileName[259] = '\0';
    run.members.push_back({header.FileName, lib.Process(h, 2, oem_dest.data(), nullptr)});
  }
  EXPECT_EQ(lib.Close(h), 0);
  return run;
}

// Member names that code page 1251 cannot spell are created under their own
// names, as on NTFS: every member must come out.
TEST(RarFixturesThroughLibrary, ExtractsEveryMemberOfTheFirstSet) {
  UnrarLibrary lib;
  ASSERT_TRUE(lib.complete());
  TempDir work;
  std::string table = fixtures::CheckAll(
      [&](const std::string& a, const std::string& d) { return ExtractWithLibrary(lib, a, d); }, work.Path(),
      fixtures::LoadSet1());
  std::cout << table;
}

TEST(RarFixturesThroughLibrary, ExtractsEveryMemberOfTheOldAndCompressedSet) {
  UnrarLibrary lib;
  ASSERT_TRUE(lib.complete());
  TempDir work;
  std::string table = fixtures::CheckAll(
      [&](const std::string& a, const std::string& d) { return ExtractWithLibrary(lib, a, d); }, work.Path(),
      fixtures::LoadSet2());
  std::cout << table;
}

}  // namespace
