#include "common/log_journal.h"

#include <gtest/gtest.h>

using journal::Entry;

namespace {

Entry Write(std::string section, std::string key, std::string value) {
  return Entry{Entry::Op::Write, std::move(section), std::move(key), std::move(value)};
}
Entry Remove(std::string section, std::string key) {
  return Entry{Entry::Op::Remove, std::move(section), std::move(key), {}};
}

}  // namespace

TEST(LogJournal, EntriesReadBackWhateverTheirFieldsHold) {
  std::vector<Entry> entries = {Write("CopyFiles", "C:\\App\\a=b.txt", ""),
                                Write("AddReg", "HKCU\\K\\'v\\tx'", std::string("a\tb\r\nc\\d\0e", 10)),
                                Remove("CopyFiles", "C:\\App\\gone.txt"), Write("", "", "")};
  std::string bytes;
  for (const Entry& e : entries) bytes += journal::Encode(e);
  EXPECT_EQ(journal::Decode(bytes), entries);
  // Every line ends with CR LF and holds no other line break.
  size_t lines = 0;
  for (size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2)) ++lines;
  EXPECT_EQ(lines, entries.size());
  EXPECT_EQ(journal::PathFor("C:\\App\\install.log"), "C:\\App\\install.log.journal");
}

TEST(LogJournal, ATornOrGarbledLineEndsTheJournal) {
  const std::string a = journal::Encode(Write("S", "a", "1"));
  const std::string b = journal::Encode(Write("S", "b", "2"));
  const std::string c = journal::Encode(Write("S", "c", "3"));
  // Cut anywhere inside the last line: the lines before it stay.
  for (size_t cut = 0; cut < c.size(); ++cut) {
    std::vector<Entry> read = journal::Decode(a + b + c.substr(0, cut));
    ASSERT_EQ(read.size(), 2u) << cut;
  }
  // A power loss may leave zeros or garbage where the last line should be.
  EXPECT_EQ(journal::Decode(a + b + std::string(40, '\0')).size(), 2u);
  std::string garbled = a + b + c;
  garbled[a.size() + 12] ^= 0x20;
  EXPECT_EQ(journal::Decode(garbled).size(), 1u) << "nothing after a damaged line counts";
  EXPECT_TRUE(journal::Decode("").empty());
  EXPECT_TRUE(journal::Decode("garbage\r\n").empty());
}
