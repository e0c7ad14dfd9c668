// The published header records as the core fills them.
#include <gtest/gtest.h>

#include <memory>

#include "unrar/header_record.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::u16string Wide(const RarWideChar* w) {
  std::u16string s;
  while (*w) s += static_cast<char16_t>(*w++);
  return s;
}

TEST(HeaderDataEx, CarriesTheNameInUtf16AndTheSizesInFull) {
  rar::Member m;
  m.name = U8(u8"папка/表😀.txt");
  m.pack_size = 0x123456789ull;
  m.unp_size = 0x2000000001ull;
  m.is_dir = false;
  m.split_after = true;
  auto h = std::make_unique<RARHeaderDataEx>();
  rar::FillHeaderDataEx(m, "pkg.part1.rar", *h);
  EXPECT_STREQ(h->ArcName, "pkg.part1.rar");
  EXPECT_EQ(h->ArcNameW[0], 0);
  // Code page 866 spells the folder but neither the CJK letter nor the emoji.
  EXPECT_STREQ(h->FileName, "\xAF\xA0\xAF\xAA\xA0\\??.txt");
  EXPECT_EQ(Wide(h->FileNameW), u"\u043f\u0430\u043f\u043a\u0430\\\u8868\U0001F600.txt");
  EXPECT_EQ(h->PackSize, 0x23456789u);
  EXPECT_EQ(h->PackSizeHigh, 1u);
  EXPECT_EQ(h->UnpSize, 1u);
  EXPECT_EQ(h->UnpSizeHigh, 0x20u);
  EXPECT_EQ(h->Flags, unsigned{RHDF_SPLITAFTER});
}

TEST(HeaderDataEx, LongNamesAreNotCutAt259AndNeverSplitAPair) {
  rar::Member m;
  m.name = std::string(600, 'a');
  auto h = std::make_unique<RARHeaderDataEx>();
  rar::FillHeaderDataEx(m, "x.rar", *h);
  EXPECT_EQ(std::string(h->FileName), m.name);
  EXPECT_EQ(Wide(h->FileNameW).size(), 600u);
  RARHeaderData small{};
  rar::FillHeaderData(m, "x.rar", small);
  EXPECT_EQ(std::string(small.FileName).size(), 259u);

  // 1023 units fit; an emoji that would need units 1023 and 1024 is left out whole.
  m.name = std::string(1022, 'b') + U8(u8"😀");
  rar::FillHeaderDataEx(m, "x.rar", *h);
  EXPECT_EQ(Wide(h->FileNameW), std::u16string(1022, u'b'));
}

}  // namespace
