#include "common/file_io.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/common/temp_dir.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

TEST(FileIo, MissingFileReadsAsNothing) {
  TempDir dir;
  EXPECT_FALSE(fileio::ReadWholeFile(dir.File("none.ini")).has_value());
  EXPECT_FALSE(fileio::FileExists(dir.File("none.ini")));
}

TEST(FileIo, ReplaceWritesExactBytesAndLeavesNoTemporaryFile) {
  TempDir dir;
  std::string path = dir.File("a.log");
  std::string bytes("x\r\n\0y\xFF", 6);
  fileio::ReplaceFileContents(path, bytes);
  EXPECT_EQ(Slurp(path), bytes);
  EXPECT_EQ(*fileio::ReadWholeFile(path), bytes);
  fileio::ReplaceFileContents(path, "second");
  EXPECT_EQ(Slurp(path), "second");
  EXPECT_FALSE(std::filesystem::exists(fileio::TemporaryNameFor(path)));
}

TEST(FileIo, FailureBeforeTheRenameKeepsTheOldContents) {
  TempDir dir;
  std::string path = dir.File("install.log");
  fileio::ReplaceFileContents(path, "old complete contents\r\n");
  std::string seenTemp;
  fileio::g_beforeReplaceHook = [&](const std::string& temp) {
    seenTemp = temp;
    // At this moment the new contents are complete on disk beside the old file.
    EXPECT_EQ(Slurp(temp), "new\r\n");
    throw std::runtime_error("power lost");
  };
  EXPECT_THROW(fileio::ReplaceFileContents(path, "new\r\n"), std::runtime_error);
  fileio::g_beforeReplaceHook = nullptr;
  EXPECT_EQ(Slurp(path), "old complete contents\r\n");
  EXPECT_FALSE(seenTemp.empty());
  EXPECT_FALSE(std::filesystem::exists(seenTemp));
}

TEST(FileIo, UnwritableTargetRaisesCannotCreate) {
  TempDir dir;
  std::string path = dir.File("missing-folder") + "/x.log";
  try {
    fileio::ReplaceFileContents(path, "x");
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create file " + path);
  }
}

TEST(FileIo, FolderInPlaceOfFileCannotBeOpened) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("setup.ini"));
  EXPECT_FALSE(fileio::FileExists(dir.File("setup.ini")));
  EXPECT_THROW(fileio::ReadWholeFile(dir.File("setup.ini")), EFOpenError);
}
