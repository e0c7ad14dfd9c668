// Code page 866, member paths, volume names and DOS times.
#include <gtest/gtest.h>
#include <iconv.h>

#include "unrar/codepage.h"
#include "unrar/crc32.h"
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

// Superscript one, two and three, and four (no port), as UTF-8 bytes.
#define SUP1 "\xC2\xB9"
#define SUP2 "\xC2\xB2"
#define SUP3 "\xC2\xB3"
#define SUP4 "\xE2\x81\xB4"

TEST(MemberPath, RefusesEveryNameWindowsOpensAsADevice) {
  std::vector<std::string> parts;
  // COM and LPT with superscript one, two and three are ports too.
  for (const char* bad : {"COM" SUP1, "com" SUP2, "LPT" SUP3, "LPT" SUP2 ".txt", "COM" SUP3 " .log",
                          "dir/lpt" SUP1 ".x/file", "a/b/Com" SUP2, "LPT" SUP1 ". .txt", "COM" SUP3 "..."})
    EXPECT_FALSE(rar::SafeComponents(bad, parts)) << bad;
  // In any case, with any extension, blanks or dots before it, in any folder.
  for (const char* bad : {"con", "Con.txt", "CON .txt", "CON  . .txt", "PRN.", "aux ", "NUL.tar.gz", "nul...",
                          "COM1", "lpt9.doc", "dir/COM5 .x", "CONIN$", "conout$.log", "CONOUT$ ", "clock$",
                          "a/prn/b.txt"})
    EXPECT_FALSE(rar::SafeComponents(bad, parts)) << bad;
  // Near misses are ordinary names.
  for (const char* good : {"COM0", "LPT0.txt", "COM" SUP4, "LPT\xC2\xB4", "COM" SUP1 SUP1, "COM10", "LPT1x",
                           "CONSOLE", "con-fig.txt", "xcon", "NULL", "AUXILIARY.txt", "CONIN", "CON$",
                           "LPT\xC2", SUP1 "COM", "_CON"}) {
    EXPECT_TRUE(rar::SafeComponents(good, parts)) << good;
    EXPECT_EQ(parts, std::vector<std::string>{good});
  }
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

namespace {

void Le(std::string& s, uint64_t v, int n) {
  for (int i = 0; i < n; ++i) s += static_cast<char>(v >> (8 * i));
}

std::string Sealed4(std::string typed) {
  std::string h;
  Le(h, rar::Crc32(0, typed.data(), typed.size()) & 0xFFFF, 2);
  return h + typed;
}

TEST(Rar4Header, ExtendedTimesAddPrecisionAndMoreTimes) {
  const uint32_t ftime = (40u << 25) | (9u << 21) | (13u << 16) | (12u << 11) | (26u << 5) | 20u;
  const uint32_t ctime = (30u << 25) | (1u << 21) | (2u << 16);
  std::string typed;
  typed += '\x74';
  Le(typed, 0x8000 | 0x1000, 2);
  const std::string name = "t.txt";
  const std::string ext = [&] {
    std::string e;
    Le(e, 0xB800, 2);     // mtime with three more bytes, ctime with none
    Le(e, 0x123456, 3);   // 100 ns units
    Le(e, ctime, 4);
    return e;
  }();
  Le(typed, 32 + name.size() + ext.size(), 2);
  Le(typed, 0, 4);  // packed
  Le(typed, 0, 4);  // unpacked
  typed += '\x02';
  Le(typed, 0, 4);
  Le(typed, ftime, 4);
  typed += '\x1d';
  typed += '\x30';
  Le(typed, name.size(), 2);
  Le(typed, 0x20, 4);
  typed += name + ext;
  std::string bytes = std::string("Rar!\x1a\x07\x00", 7) + Sealed4(std::string("\x73\x00\x00\x0d\x00", 5) + std::string(6, '\0')) + Sealed4(typed);
  rar::MemorySource src(bytes);
  rar::Block b;
  ASSERT_EQ(rar::ReadBlock(src, rar::Format::kRar4, 20, b), 0);
  ASSERT_EQ(b.type, rar::BlockType::kFile);
  EXPECT_EQ(b.member.name, "t.txt");
  EXPECT_EQ(b.member.dos_time, ftime);
  EXPECT_TRUE(b.member.mtime.local);
  EXPECT_EQ(b.member.mtime.ticks, rar::TicksFromDos(ftime) + 0x123456);
  EXPECT_TRUE(b.member.ctime.present);
  EXPECT_EQ(b.member.ctime.ticks, rar::TicksFromDos(ctime));
  EXPECT_FALSE(b.member.atime.present);
}

}  // namespace
