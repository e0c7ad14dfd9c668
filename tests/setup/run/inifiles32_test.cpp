#include "setup/run/inifiles32.h"

#include <gtest/gtest.h>

#include "common/ansi.h"
#include "common/file_io.h"
#include "tests/common/temp_dir.h"
#include "tests/setup/test_files.h"

namespace {

class IniFile32 : public ::testing::Test {
 protected:
  TIniFile32 Load(const std::string& bytes) {
    WriteBytes(path_, bytes);
    return TIniFile32(path_);
  }
  TempDir dir_;
  std::string path_ = dir_.File("test.ini");
};

}  // namespace

TEST_F(IniFile32, SectionsIgnoreCaseButKeysDoNot) {
  TIniFile32 ini = Load("[MAIN]\r\nKey=1\r\n[ПАКЕТ]\r\nИмя=да\r\n");
  EXPECT_EQ(ini.ReadString("Main", "Key", "d"), "1");
  EXPECT_EQ(ini.ReadString("main", "key", "d"), "d");
  EXPECT_EQ(ini.ReadString("пакет", "Имя", "d"), "да");
  EXPECT_EQ(ini.ReadString("Пакет", "имя", "d"), "d");
}

TEST_F(IniFile32, HeaderWithBlanksIsNeverFoundButStillEndsTheSectionAbove) {
  TIniFile32 ini = Load("[A]\r\nx=1\r\n[B] \r\ny=2\r\n [C]\r\nz=3\r\n");
  EXPECT_EQ(ini.ReadString("A", "y", "none"), "none");
  EXPECT_EQ(ini.ReadString("B", "y", "none"), "none");
  EXPECT_EQ(ini.ReadString("B ", "y", "none"), "none");
  EXPECT_EQ(ini.ReadString("C", "z", "none"), "none");
  EXPECT_EQ(ini.ReadString("A", "x", "none"), "1");
}

TEST_F(IniFile32, BlanksAroundKeyAndValueAreTrimmedAndValueMayHoldEquals) {
  TIniFile32 ini = Load("[S]\r\n  Name  =  a=b=c  \r\n\tTab\t=\tv\r\n");
  EXPECT_EQ(ini.ReadString("S", "Name", ""), "a=b=c");
  EXPECT_EQ(ini.ReadString("S", "Tab", ""), "v");
  EXPECT_EQ(ini.ReadString("S", "NAME", "d"), "d");
}

TEST_F(IniFile32, EmptyValueAndKeyWithoutEqualsReadAsDefault) {
  TIniFile32 ini = Load("[S]\r\nEmpty=\r\nBlank=   \r\nNoEquals\r\n;Comment=1\r\n");
  EXPECT_EQ(ini.ReadString("S", "Empty", "def"), "def");
  EXPECT_EQ(ini.ReadString("S", "Blank", "def"), "def");
  EXPECT_EQ(ini.ReadString("S", "NoEquals", "def"), "def");
  EXPECT_EQ(ini.ReadString("S", "Comment", "def"), "def");
  EXPECT_EQ(ini.ReadString("S", ";Comment", "def"), "1");
}

TEST_F(IniFile32, FirstOfDuplicateKeysWinsAndFirstDuplicateSectionWins) {
  TIniFile32 ini = Load("[S]\r\nk=first\r\nk=second\r\n[S]\r\nk=third\r\nonly=here\r\n");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "first");
  EXPECT_EQ(ini.ReadString("S", "only", "d"), "d");
  // An empty first value gives the default; the later line is never consulted.
  TIniFile32 ini2 = Load("[S]\r\nk=\r\nk=second\r\n");
  EXPECT_EQ(ini2.ReadString("S", "k", "d"), "d");
}

TEST_F(IniFile32, KeyAppearingOnlyAfterTheEqualsSignHasNoValue) {
  // The key must occur before the first "=": "x=Name" is not the key Name.
  TIniFile32 ini = Load("[S]\r\nx=Name\r\n");
  EXPECT_EQ(inifiles32::ValueOfLine("x=Name", "Name"), "");
  EXPECT_EQ(ini.ReadString("S", "x", ""), "Name");
}

TEST_F(IniFile32, LinesSplitAtCrLfAndCrLfPairs) {
  EXPECT_EQ(inifiles32::SplitLines("a\rb\nc\r\nd"),
            (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(inifiles32::SplitLines("a\n\rb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(inifiles32::SplitLines(""), std::vector<std::string>{});
  EXPECT_EQ(inifiles32::SplitLines("\r\n\r\n"), (std::vector<std::string>{"", ""}));
  TIniFile32 ini = Load("[S]\nk=lf\r[T]\rk=cr");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "lf");
  EXPECT_EQ(ini.ReadString("T", "k", ""), "cr");
}

TEST_F(IniFile32, ReadIntegerAcceptsDecimalDollarAndZeroXHex) {
  TIniFile32 ini = Load(
      "[N]\r\nhex=0x1A\r\ndollar=$1A\r\nupper=0X1a\r\nbad=1a\r\nneg=-42\r\nplus=+7\r\n"
      "max=2147483647\r\nmin=-2147483648\r\nover=2147483648\r\nfull=$FFFFFFFF\r\n"
      "long=$100000000\r\nzx=0x\r\nsign=-\r\nspace=1 2\r\n");
  EXPECT_EQ(ini.ReadInteger("N", "hex", -1), 26);
  EXPECT_EQ(ini.ReadInteger("N", "dollar", -1), 26);
  EXPECT_EQ(ini.ReadInteger("N", "upper", -1), 26);
  EXPECT_EQ(ini.ReadInteger("N", "bad", -1), -1);
  EXPECT_EQ(ini.ReadInteger("N", "neg", 0), -42);
  EXPECT_EQ(ini.ReadInteger("N", "plus", 0), 7);
  EXPECT_EQ(ini.ReadInteger("N", "max", 0), 2147483647);
  EXPECT_EQ(ini.ReadInteger("N", "min", 0), INT32_MIN);
  EXPECT_EQ(ini.ReadInteger("N", "over", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "full", 5), -1);
  EXPECT_EQ(ini.ReadInteger("N", "long", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "zx", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "sign", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "space", 5), 5);
  EXPECT_EQ(ini.ReadInteger("N", "missing", 5), 5);
}

TEST_F(IniFile32, ReadBoolUnderstandsOnlyNumbers) {
  TIniFile32 ini = Load("[B]\r\ntwo=2\r\nzero=0\r\nword=true\r\nno=no\r\n");
  EXPECT_TRUE(ini.ReadBool("B", "two", false));
  EXPECT_FALSE(ini.ReadBool("B", "zero", true));
  EXPECT_FALSE(ini.ReadBool("B", "word", false));
  EXPECT_TRUE(ini.ReadBool("B", "no", true));
}

TEST_F(IniFile32, ReadSectionValuesListsKeyedLinesInFileOrder) {
  TIniFile32 ini = Load("[S]\r\na=1\r\nno equals here\r\n=starts with equals\r\nb=\r\n a = 2 \r\n[T]\r\nc=3\r\n");
  std::vector<std::string> values{"stale"};
  ini.ReadSectionValues("s", &values);
  EXPECT_EQ(values, (std::vector<std::string>{"a=1", "b=", "a=2"}));
  ini.ReadSectionValues("missing", &values);
  EXPECT_TRUE(values.empty());
  try {
    ini.ReadSectionValues("S", nullptr);
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(std::string(e.what()).find("Param Strings must be assigned"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("line 255"), std::string::npos);
  }
}

TEST_F(IniFile32, WriteIntoMissingFileMakesBlankLineHeaderAndKey) {
  {
    TIniFile32 ini(path_);
    EXPECT_TRUE(ini.Lines().empty());
    ini.WriteString("CreateDirs", "C:\\Prog\\App\\", "");
  }
  EXPECT_EQ(ReadBytes(path_), "\r\n[CreateDirs]\r\nC:\\Prog\\App\\=\r\n");
}

TEST_F(IniFile32, NewKeyGoesAfterTheSectionsBlankLinesBeforeTheNextHeader) {
  TIniFile32 ini = Load("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
  ini.WriteString("A", "new", "v");
  EXPECT_EQ(ReadBytes(path_), "[A]\r\nx=1\r\n\r\nnew=v\r\n[B]\r\ny=2\r\n");
  ini.WriteString("B", "z", "3");
  EXPECT_EQ(ReadBytes(path_), "[A]\r\nx=1\r\n\r\nnew=v\r\n[B]\r\ny=2\r\nz=3\r\n");
}

TEST_F(IniFile32, WritingAnExistingKeyReplacesOnlyItsFirstLine) {
  TIniFile32 ini = Load("[S]\r\n k = old \r\nk=second\r\n");
  ini.WriteString("s", "k", "new");
  EXPECT_EQ(ReadBytes(path_), "[S]\r\nk=new\r\nk=second\r\n");
  // The same path written twice stays one entry.
  ini.WriteString("S", "C:\\a.txt", "");
  ini.WriteString("S", "C:\\a.txt", "");
  EXPECT_EQ(ReadBytes(path_), "[S]\r\nk=new\r\nk=second\r\nC:\\a.txt=\r\n");
}

TEST_F(IniFile32, EmptyKeyWritesOnlyAHeaderForANewSectionAndNothingIntoAnOldOne) {
  TIniFile32 ini = Load("[S]\r\nno equals\r\n\r\n");
  ini.WriteString("S", "", "value");
  EXPECT_EQ(ReadBytes(path_), "[S]\r\nno equals\r\n\r\n");
  ini.WriteString("T", "", "value");
  EXPECT_EQ(ReadBytes(path_), "[S]\r\nno equals\r\n\r\n\r\n[T]\r\n");
}

TEST_F(IniFile32, UntouchedLinesAreWrittenBackAsTheyStood) {
  std::string bytes("[S]\n  odd line \x01\n;c=1\nk=v\n");
  TIniFile32 ini = Load(bytes);
  ini.WriteString("S", "k", "w");
  EXPECT_EQ(ReadBytes(path_), "[S]\r\n  odd line \x01\r\n;c=1\r\nk=w\r\n");
}

TEST_F(IniFile32, AFailedSaveKeepsTheChangeInMemoryAndTheOldFileOnDisk) {
  TIniFile32 ini = Load("[S]\r\nk=1\r\n");
  fileio::g_beforeReplaceHook = [](const std::string&) { throw EFCreateError("simulated"); };
  EXPECT_THROW(ini.WriteString("S", "k", "2"), EFCreateError);
  fileio::g_beforeReplaceHook = nullptr;
  EXPECT_EQ(ini.ReadString("S", "k", ""), "2");
  EXPECT_EQ(ReadBytes(path_), "[S]\r\nk=1\r\n");
  EXPECT_EQ(TIniFile32(path_).ReadString("S", "k", ""), "1");
}

TEST_F(IniFile32, BinaryGarbageAndOverlongLinesAreHeldAndReadSafely) {
  std::string garbage;
  for (int i = 0; i < 5000; ++i) garbage += static_cast<char>((i * 131) % 256);
  std::string longValue(1 << 20, 'v');
  TIniFile32 ini = Load(garbage + "\r\n[S]\r\nlong=" + longValue + "\r\n" + garbage);
  EXPECT_EQ(ini.ReadString("S", "long", ""), longValue);
  EXPECT_EQ(ini.ReadString("Install", "ProgramName", "d"), "d");
}

TEST_F(IniFile32, SeparateObjectsDoNotSeeEachOthersChanges) {
  TIniFile32 first = Load("[S]\r\n");
  TIniFile32 second(path_);
  first.WriteString("S", "k", "1");
  EXPECT_EQ(second.ReadString("S", "k", "d"), "d");
  EXPECT_EQ(TIniFile32(path_).ReadString("S", "k", "d"), "1");
}

TEST_F(IniFile32, ReadsAfterWritesSeeEveryLineWhereItNowStands) {
  TIniFile32 ini = Load("[A]\r\na=1\r\n[B]\r\nb=1\r\n[C]\r\nc=1\r\n");
  EXPECT_EQ(ini.ReadString("C", "c", ""), "1");
  ini.WriteString("A", "a2", "2");  // pushes every later line down by one
  EXPECT_EQ(ini.ReadString("A", "a2", ""), "2");
  EXPECT_EQ(ini.ReadString("B", "b", ""), "1");
  EXPECT_EQ(ini.ReadString("C", "c", ""), "1");
  EXPECT_EQ(ini.ReadString("B", "a2", "d"), "d");
  ini.WriteString("B", "b", "changed");
  ini.WriteString("D", "d", "new");
  EXPECT_EQ(ini.ReadString("b", "b", ""), "changed");
  EXPECT_EQ(ini.ReadString("d", "d", ""), "new");

  TIniFile32 copy = ini;
  copy.WriteString("A", "only", "copy");
  EXPECT_EQ(copy.ReadString("A", "only", "d"), "copy");
  EXPECT_EQ(ini.ReadString("A", "only", "d"), "d");
  EXPECT_EQ(copy.ReadString("C", "c", ""), "1");
}

namespace {

// The lookup rules read straight off the lines, one scan per question.
std::string ScanReadString(const std::vector<std::string>& lines, std::string_view section, std::string_view key,
                           std::string_view fallback) {
  size_t i = 0;
  for (; i < lines.size(); ++i) {
    std::string_view name;
    if (inifiles32::HeaderName(lines[i], name) && ansi::SameText(name, section)) break;
  }
  for (++i; i < lines.size() && !inifiles32::IsSectionHeader(lines[i]); ++i) {
    if (inifiles32::KeyOfLine(lines[i]) == key) {
      std::string_view value = inifiles32::ValueOfLine(lines[i], key);
      return std::string(value.empty() ? fallback : value);
    }
  }
  return std::string(fallback);
}

}  // namespace

TEST_F(IniFile32, IndexedLookupsAnswerAsAScanOfTheLinesWould) {
  // Small random files with repeated, blank-padded, case-shifted and
  // malformed headers and keys; every question is asked of both.
  const char* const pieces[] = {"[S]", "[s]", " [S]", "[S] ", "[T]", "[]", "[Пакет]", "[ПАКЕТ]", "k=1", " k = 2",
                                "K=3", "k=", "=k", "k", "j=x=y", "Имя=да", "[S", "S]", ""};
  const char* const sections[] = {"S", "s", "T", "", "Пакет", "пакет", "S ", "X"};
  const char* const keys[] = {"k", "K", "j", "", "Имя", "x", " k"};
  uint32_t seed = 7;
  auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return seed >> 16;
  };
  for (int round = 0; round < 500; ++round) {
    std::string text;
    for (size_t n = next() % 12; n > 0; --n) text += std::string(pieces[next() % std::size(pieces)]) + "\r\n";
    TIniFile32 ini = Load(text);
    for (const char* section : sections) {
      for (const char* key : keys) {
        ASSERT_EQ(ini.ReadString(section, key, "?"), ScanReadString(ini.Lines(), section, key, "?"))
            << "[" << section << "] " << key << " in:\n" << text;
      }
    }
  }
}
