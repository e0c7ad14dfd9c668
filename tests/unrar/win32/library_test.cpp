// The built library through its published entry points: records, times and
// attributes, the comment buffer, the volume callback, and code page 866.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "common/win32_handles.h"
#include "tests/common/temp_dir.h"
#include "tests/unrar/win32/unrar_library.h"
#include "tools/rarwriter/rar_writer.h"
#include "unrar/codepage.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class Library : public ::testing::Test {
 protected:
  std::string Save(const std::vector<rarwriter::Entry>& entries, const rarwriter::Options& o) {
    std::string first;
    for (const auto& v : rarwriter::Write("pkg.rar", entries, o)) {
      std::ofstream(dir_.File(v.name), std::ios::binary) << v.bytes;
      if (first.empty()) first = dir_.File(v.name);
    }
    return first;
  }
  HANDLE Open(std::string& name, char* comment = nullptr, unsigned size = 0,
              RAROpenArchiveData* out = nullptr) {
    RAROpenArchiveData d{};
    d.ArcName = name.data();
    d.OpenMode = 1;
    d.CmtBuf = comment;
    d.CmtBufSize = size;
    HANDLE h = lib_.Open(&d);
    if (out) *out = d;
    return h;
  }
  UnrarLibrary lib_;
  TempDir dir_;
};

TEST_F(Library, HeaderRecordTimesAndAttributes) {
  ASSERT_TRUE(lib_.complete());
  for (int format : {4, 5}) {
    SCOPED_TRACE(format);
    rarwriter::Options o;
    o.format = format;
    std::string name = Save({{U8(u8"Папка"), true, "", 1600000000, 0},
                             {U8(u8"Папка/Файл.txt"), false, "12345", 1600000000,
                              FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE}},
                            o);
    HANDLE h = Open(name);
    ASSERT_NE(h, nullptr);
    RARHeaderData header{};
    ASSERT_EQ(lib_.ReadHeader(h, &header), 0);
    EXPECT_EQ(header.Flags & RHDF_DIRECTORY, RHDF_DIRECTORY);
    EXPECT_STREQ(header.ArcName, name.c_str());
    std::string dest = dir_.File("out" + std::to_string(format));
    EXPECT_EQ(lib_.Process(h, 2, dest.data(), nullptr), 0);
    ASSERT_EQ(lib_.ReadHeader(h, &header), 0);
    EXPECT_STREQ(header.FileName, "\x8f\xa0\xaf\xaa\xa0\\\x94\xa0\xa9\xab.txt");
    EXPECT_EQ(header.UnpSize, 5u);
    EXPECT_EQ(header.PackSize, 5u);
    EXPECT_EQ(header.Method, 0x30u);
    EXPECT_EQ(header.FileAttr & FILE_ATTRIBUTE_READONLY, static_cast<unsigned>(FILE_ATTRIBUTE_READONLY));
    // The DOS time is local time, as the system converts it.
    FILETIME utc, local;
    const uint64_t ticks = (1600000000ull + 11644473600ull) * 10000000ull;
    utc.dwLowDateTime = static_cast<DWORD>(ticks);
    utc.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    FileTimeToLocalFileTime(&utc, &local);
    WORD date, time;
    FileTimeToDosDateTime(&local, &date, &time);
    EXPECT_EQ(header.FileTime, (static_cast<unsigned>(date) << 16) | time);
    EXPECT_EQ(lib_.Process(h, 2, dest.data(), nullptr), 0);
    EXPECT_EQ(lib_.ReadHeader(h, &header), 10);
    EXPECT_EQ(lib_.Close(h), 0);

    std::wstring path = std::filesystem::path(dest).wstring() + L"\\\x041F\x0430\x043F\x043A\x0430\\\x0424\x0430\x0439\x043B.txt";
    DWORD attributes = GetFileAttributesW(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    win32::UniqueFile f(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(f.get(), INVALID_HANDLE_VALUE);
    FILETIME written;
    GetFileTime(f.get(), nullptr, nullptr, &written);
    f.reset();
    const uint64_t got = (uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime;
    EXPECT_EQ(got, ticks);
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }
}

TEST_F(Library, CommentIsCutToTheBufferAndSaysSo) {
  rarwriter::Options o;
  o.comment = "a comment of some length";
  std::string name = Save({{"a.txt", false, "a", 1600000000, 0}}, o);
  char buffer[64];
  RAROpenArchiveData d;
  HANDLE h = Open(name, buffer, sizeof buffer, &d);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(d.CmtState, 1u);
  EXPECT_EQ(d.CmtSize, o.comment.size() + 1);
  EXPECT_STREQ(buffer, o.comment.c_str());
  lib_.Close(h);
  char small[8];
  h = Open(name, small, sizeof small, &d);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(d.CmtState, 20u);
  EXPECT_EQ(d.CmtSize, 8u);
  EXPECT_STREQ(small, "a comme");
  lib_.Close(h);
}

std::string g_moved;
std::vector<int> g_modes;

int __stdcall AskForVolume(char* name, int mode) {
  g_modes.push_back(mode);
  if (mode == 0) std::strcpy(name, g_moved.c_str());
  return 1;
}

TEST_F(Library, VolumeCallbackMayNameTheMissingVolume) {
  rarwriter::Options o;
  o.volume_size = 20000;
  std::string data(30000, 'q');
  std::string name = Save({{"big.bin", false, data, 1600000000, 0}}, o);
  g_moved = dir_.File("elsewhere.rar");
  MoveFileA(dir_.File("pkg.part2.rar").c_str(), g_moved.c_str());
  HANDLE h = Open(name);
  ASSERT_NE(h, nullptr);
  lib_.SetVol(h, &AskForVolume);
  RARHeaderData header{};
  ASSERT_EQ(lib_.ReadHeader(h, &header), 0);
  EXPECT_EQ(header.Flags & RHDF_SPLITAFTER, static_cast<unsigned>(RHDF_SPLITAFTER));
  std::string target = dir_.File("got.bin");
  EXPECT_EQ(lib_.Process(h, 2, nullptr, target.data()), 0);  // a full destination name
  EXPECT_EQ(g_modes, (std::vector<int>{0, 1}));
  lib_.Close(h);
  std::ifstream in(target, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), data);
}

struct CallbackLog {
  uint64_t data = 0;
  std::vector<int> volume_modes;
};

int __stdcall LogCallback(unsigned msg, long user, long, long p2) {
  auto* log = reinterpret_cast<CallbackLog*>(user);
  if (msg == UCM_PROCESSDATA) log->data += static_cast<unsigned long>(p2);
  if (msg == UCM_CHANGEVOLUME) log->volume_modes.push_back(static_cast<int>(p2));
  return 1;
}

TEST_F(Library, OpenExReportsTheArchiveAndCallsOneCallbackForVolumesAndData) {
  rarwriter::Options o;
  o.format = 5;
  o.volume_size = 20000;
  std::string data(30000, 'x');
  std::string name = Save({{"big.bin", false, data, 1600000000, 0}}, o);
  const std::wstring wide = std::filesystem::path(name).wstring();
  for (bool by_wide_name : {false, true}) {
    SCOPED_TRACE(by_wide_name);
    CallbackLog log;
    RAROpenArchiveDataEx d{};
    std::wstring w = wide;
    if (by_wide_name) d.ArcNameW = w.data();
    else d.ArcName = name.data();
    d.OpenMode = 1;
    d.Callback = &LogCallback;
    d.UserData = reinterpret_cast<long>(&log);
    HANDLE h = lib_.OpenEx(&d);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(d.OpenResult, 0u);
    EXPECT_EQ(d.Flags & (ROADF_VOLUME | ROADF_SOLID | ROADF_NEWNUMBERING), unsigned{ROADF_VOLUME | ROADF_NEWNUMBERING});
    RARHeaderData header{};
    ASSERT_EQ(lib_.ReadHeader(h, &header), 0);
    EXPECT_EQ(lib_.Process(h, 1, nullptr, nullptr), 0);
    EXPECT_EQ(log.data, data.size());
    EXPECT_EQ(log.volume_modes, std::vector<int>{1});  // told of the second volume
    EXPECT_EQ(lib_.ReadHeader(h, &header), 10);
    lib_.Close(h);
  }
}

TEST(Oem866Wine, TableAgreesWithTheSystemConverter) {
  for (int c = 0; c < 256; ++c) {
    char in = static_cast<char>(c);
    wchar_t w = 0;
    ASSERT_EQ(MultiByteToWideChar(866, 0, &in, 1, &w, 1), 1);
    EXPECT_EQ(static_cast<char32_t>(w), rar::UnicodeFromOem(static_cast<unsigned char>(c))) << c;
  }
}

}  // namespace
