#include "common/run_account.h"
#include "common/file_io.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/common/temp_dir.h"

namespace {
std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}
}  // namespace

TEST(RunAccount, EachLineIsOnDiskAsSoonAsItIsNoted) {
  TempDir dir;
  const std::string path = dir.File("run.txt");
  runaccount::Note("before any account: dropped");
  EXPECT_FALSE(runaccount::IsOpen());
  runaccount::Open(path);
  EXPECT_TRUE(runaccount::IsOpen());
  // The file exists before the first line.
  EXPECT_EQ(Read(path), "");
  runaccount::Note("first");
  std::string text = Read(path);
  ASSERT_EQ(text.size(), 20u + 5 + 2) << text;
  EXPECT_EQ(text.substr(19), " first\r\n");
  runaccount::Note("two\r\nlines");
  EXPECT_EQ(Read(path).substr(text.size() + 19), " two  lines\r\n");
  runaccount::Close();
  runaccount::Note("after: dropped");
  EXPECT_EQ(Read(path).find("dropped"), std::string::npos);
  // A second account continues the file.
  runaccount::Open(path);
  runaccount::Note("again");
  runaccount::Close();
  EXPECT_NE(Read(path).find(" first\r\n"), std::string::npos);
  EXPECT_NE(Read(path).find(" again\r\n"), std::string::npos);
}

TEST(RunAccount, AFileThatCannotBeMadeIsRefusedAtOnce) {
  TempDir dir;
  EXPECT_THROW(runaccount::Open(dir.File("no-such-folder/run.txt")), EFCreateError);
  EXPECT_FALSE(runaccount::IsOpen());
  EXPECT_EQ(runaccount::FormatLine("T", "a\nb"), "T a b\r\n");
}
