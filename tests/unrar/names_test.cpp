// Code page 866, member paths, volume names and DOS times.
#include <gtest/gtest.h>
#include <iconv.h>

#include "unrar/codepage.h"
#include "unrar/member_path.h"
#include "unrar/rar_blocks.h"

namespace {

TEST(Oem866, TableAgreesWithTheSystemConverter) {
  iconv_t cd = iconv_open("UTF-8", "CP866");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  for (int c = 0; c < 256; ++c) {
    char in[1] = {static_cast<char>(c)};
    char out[8] = {};
    char* pin = in;
    char* pout = out;
    size_t in_left = 1, out_left = sizeof out;
    ASSERT_NE(iconv(cd, &pin, &in_left, &pout, &out_left), static_cast<size_t>(-1)) << c;
    std::string expected(out, sizeof out - out_left);
    EXPECT_EQ(rar::Utf8FromOem(std::string(1, static_cast<char>(c))), expected) << c;
    EXPECT_EQ(rar::OemFromUtf8(expected), std::string(1, static_cast<char>(c))) << c;
  }
  iconv_close(cd);
}

TEST(Oem866, UnmappableAndBrokenInputBecomeQuestionMarks) {
  EXPECT_EQ(rar::OemFromUtf8("\xE8\xA1\xA8.txt"), "?.txt");  // CJK
  EXPECT_EQ(rar::OemFromUtf8("a\xC0\xAF" "b"), "a?b");        // overlong '/'
  EXPECT_EQ(rar::NormalizeUtf8("\xED\xA0\x80"), "\xEF\xBF\xBD");  // a lone surrogate
}

TEST(MemberPath, KeepsRelativeNamesAndRefusesEscapes) {
  std::vector<std::string> parts;
  ASSERT_TRUE(rar::SafeComponents("a/./b\\c.txt", parts));
  EXPECT_EQ(parts, (std::vector<std::string>{"a", "b", "c.txt"}));
  ASSERT_TRUE(rar::SafeComponents("a//b..c", parts));
  EXPECT_EQ(parts, (std::vector<std::string>{"a", "b..c"}));
  for (const char* bad : {"", "/", "\\x", "../x", "a/../../x", "a/..", "C:x", "c:/x", "a/b:stream",
                          "...", "a/. ./x", "NUL", "aux.txt", "dir/com1.log", "lpt9", "tab\tname", "./."})
    EXPECT_FALSE(rar::SafeComponents(bad, parts)) << bad;
  EXPECT_TRUE(rar::SafeComponents("console.txt", parts));
  EXPECT_TRUE(rar::SafeComponents("com10", parts));
}

TEST(VolumeNames, NumberedAndOldStyle) {
  EXPECT_EQ(rar::NextVolumeName("x.part1.rar", true), "x.part2.rar");
  EXPECT_EQ(rar::NextVolumeName("C:\\d.1\\x.part09.rar", true), "C:\\d.1\\x.part10.rar");
  EXPECT_EQ(rar::NextVolumeName("x.part9.rar", true), "x.part10.rar");
  EXPECT_EQ(rar::NextVolumeName("x.part99.RAR", true), "x.part100.RAR");
  EXPECT_EQ(rar::NextVolumeName("x.rar", false), "x.r00");
  EXPECT_EQ(rar::NextVolumeName("X.RAR", false), "X.R00");
  EXPECT_EQ(rar::NextVolumeName("x.r00", false), "x.r01");
  EXPECT_EQ(rar::NextVolumeName("x.r09", false), "x.r10");
  EXPECT_EQ(rar::NextVolumeName("x.r99", false), "x.s00");
  EXPECT_EQ(rar::NextVolumeName("x.rar", true), "x.r00");  // no number to count on
  EXPECT_EQ(rar::NextVolumeName("dir.5/x", false), "dir.5/x.r00");
}

TEST(DosTime, ConvertsBothWays) {
  // 2020-09-13 12:26:40
  const uint64_t ticks = (1600000000ull + 11644473600ull) * 10000000ull;
  const uint32_t dos = (40u << 25) | (9u << 21) | (13u << 16) | (12u << 11) | (26u << 5) | 20u;
  EXPECT_EQ(rar::DosFromTicks(ticks), dos);
  EXPECT_EQ(rar::TicksFromDos(dos), ticks);
  EXPECT_EQ(rar::DosFromTicks(0), (1u << 21) | (1u << 16));  // before 1980
  EXPECT_EQ(rar::TicksFromDos(0), rar::TicksFromDos((1u << 21) | (1u << 16)));  // day 0, month 0
}

}  // namespace
