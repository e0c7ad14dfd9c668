#include "setup/extraction/member_names.h"

#include <gtest/gtest.h>

namespace {

using membernames::Components;

TEST(MemberNames, ComponentsAsTheLibraryWritesThem) {
  EXPECT_EQ(Components(u"a\\.\\b"), (std::vector<std::u16string>{u"a", u"b"}));
  EXPECT_EQ(Components(u"a//b/c.txt"), (std::vector<std::u16string>{u"a", u"b", u"c.txt"}));
  EXPECT_EQ(Components(u"\\a\\"), (std::vector<std::u16string>{u"a"}));
  EXPECT_EQ(Components(u"a =b.txt"), (std::vector<std::u16string>{u"a =b.txt"}));
  EXPECT_EQ(Components(u"x..y\\.z"), (std::vector<std::u16string>{u"x..y", u".z"}));
  // What the library refuses to write has no components at all.
  for (std::u16string bad : {u"", u".", u"a\\..\\b", u"..", u"a\\. .\\b", u"\\\\"}) {
    EXPECT_FALSE(Components(bad)) << std::string(bad.begin(), bad.end());
  }
}

TEST(MemberNames, TrailingDotsAndBlanksAreDroppedByTheSystem) {
  EXPECT_TRUE(membernames::StoredUnderAnotherName(u"name."));
  EXPECT_TRUE(membernames::StoredUnderAnotherName(u"name "));
  EXPECT_FALSE(membernames::StoredUnderAnotherName(u"name.txt"));
  EXPECT_FALSE(membernames::StoredUnderAnotherName(u".hidden"));
  EXPECT_FALSE(membernames::StoredUnderAnotherName(u""));
}

}  // namespace
