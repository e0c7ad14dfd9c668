#include "setup/regfile/regfile_parser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "setup/run/install_records.h"
#include "setup/regfile/hex_reader.h"

using regfile::KeyLocation;
using regfile::LocateKey;
using regfile::Operation;
using regfile::RootKey;
using regfile::TRegFileParser;

namespace {

std::string Printable(const std::string& bytes) {
  std::string s;
  for (unsigned char c : bytes) {
    if (c >= 32 && c < 127) {
      s += static_cast<char>(c);
    } else {
      static const char kHex[] = "0123456789abcdef";
      s += '<';
      s += kHex[c >> 4];
      s += kHex[c & 15];
      s += '>';
    }
  }
  return s;
}

// One line per operation, so that a whole file's outcome reads as a list.
std::string Describe(const Operation& op) {
  switch (op.kind) {
    case Operation::Kind::Message:
      return "message " + regfile::MessageText(op.message, "f.reg");
    case Operation::Kind::CreateKey:
      return "key " + op.key.rootName + "|" + op.key.subKey;
    case Operation::Kind::SetValue: {
      std::string s = "value " + op.key.rootName + "|" + op.key.subKey + "|" + op.valueName + "|";
      if (op.type == regfile::kRegDword && !op.fromHex) return s + "dword " + std::to_string(op.number);
      s += (op.fromHex ? "hex(" + std::to_string(op.type) + ")" : "sz") + (op.wideText ? "w " : " ");
      return s + Printable(op.data);
    }
  }
  return {};
}

std::vector<std::string> Parse(std::string_view text) {
  std::vector<std::string> out;
  TRegFileParser parser(text);
  while (auto op = parser.Next()) out.push_back(Describe(*op));
  return out;
}

// A stand-in for the system's conversion to the ANSI code page 1251.
std::string To1251(const std::u16string& text) {
  std::string s;
  for (char16_t c : text) {
    if (c < 0x80) s += static_cast<char>(c);
    else if (c >= 0x410 && c <= 0x44F) s += static_cast<char>(c - 0x410 + 0xC0);
    else s += '?';
  }
  return s;
}

std::string Utf16Le(std::u16string_view text, bool bom = true) {
  std::string s = bom ? "\xFF\xFE" : "";
  for (char16_t c : text) {
    s += static_cast<char>(c & 0xFF);
    s += static_cast<char>(c >> 8);
  }
  return s;
}

}  // namespace

TEST(HexToStr, ReadsTrimmedDigitsWrapsAndCountsBadOnes) {
  int bad = -1;
  EXPECT_EQ(HexToStr("", &bad), 0);
  EXPECT_EQ(bad, 0);
  EXPECT_EQ(HexToStr(" \t0000000a\r", &bad), 10);
  EXPECT_EQ(HexToStr("aBcD"), 0xABCD);
  EXPECT_EQ(static_cast<uint32_t>(HexToStr("ffffffff")), 4294967295u);
  EXPECT_EQ(HexToStr("123456789"), 0x23456789);  // the last eight digits remain
  EXPECT_EQ(HexToStr("1z", &bad), 0x10);
  EXPECT_EQ(bad, 1);
  EXPECT_EQ(HexToStr("g g", &bad), 0);
  EXPECT_EQ(bad, 3);  // the inner blank is no digit either
}

TEST(RegFileKeys, RootsAreRecognisedByTheirFullNamesInAnyCase) {
  EXPECT_EQ(LocateKey("HKEY_CURRENT_USER\\Software\\Maker\\App"),
            (KeyLocation{RootKey::CurrentUser, "HKCU", "Software\\Maker\\App"}));
  EXPECT_EQ(LocateKey("hkey_local_machine\\Software\\X\\"), (KeyLocation{RootKey::LocalMachine, "HKLM", "Software\\X"}));
  EXPECT_EQ(LocateKey("HKEY_USERS\\.DEFAULT\\X"), (KeyLocation{RootKey::Users, "HKU", ".DEFAULT\\X"}));
  EXPECT_EQ(LocateKey("HKEY_CLASSES_ROOT\\.abc"), (KeyLocation{RootKey::ClassesRoot, "HKCR", ".abc"}));
  EXPECT_EQ(LocateKey("HKEY_CURRENT_USER\\"), (KeyLocation{RootKey::CurrentUser, "HKCU", ""}));
}

TEST(RegFileKeys, ABareRootNameIsTheRootItselfAndALongerNameIsNoRoot) {
  EXPECT_EQ(LocateKey("HKEY_CURRENT_USER"), (KeyLocation{RootKey::CurrentUser, "HKCU", ""}));
  EXPECT_EQ(LocateKey("hkey_users"), (KeyLocation{RootKey::Users, "HKU", ""}));
  EXPECT_EQ(LocateKey("HKEY_CLASSES_ROOT\\"), (KeyLocation{RootKey::ClassesRoot, "HKCR", ""}));
  EXPECT_EQ(LocateKey("Hkey_Local_Machine\\\\"), (KeyLocation{RootKey::LocalMachine, "HKLM", ""}));
  // A root name must be followed by a backslash or nothing.
  EXPECT_EQ(LocateKey("HKEY_CURRENT_USERS\\x"), (KeyLocation{RootKey::LocalMachine, "HKLM", "x"}));
  EXPECT_EQ(LocateKey("HKEY_CURRENT_USERX"), (KeyLocation{RootKey::LocalMachine, "HKLM", "HKEY_CURRENT_USERX"}));
  EXPECT_EQ(LocateKey("HKEY_USERS_OLD\\.DEFAULT"), (KeyLocation{RootKey::LocalMachine, "HKLM", ".DEFAULT"}));
  EXPECT_EQ(LocateKey("HKEY_LOCAL_MACHINE_\\Software"), (KeyLocation{RootKey::LocalMachine, "HKLM", "Software"}));
  EXPECT_EQ(LocateKey("HKEY_CURRENT_USER\\HKEY_USERS"),
            (KeyLocation{RootKey::CurrentUser, "HKCU", "HKEY_USERS"}));
}

TEST(RegFileKeys, OtherPathsLandUnderTheLocalMachineAndAreLoggedThere) {
  EXPECT_EQ(LocateKey("Software\\X"), (KeyLocation{RootKey::LocalMachine, "HKLM", "Software\\X"}));
  EXPECT_EQ(LocateKey("-HKEY_CURRENT_USER\\Software\\X"),
            (KeyLocation{RootKey::LocalMachine, "HKLM", "-HKEY_CURRENT_USER\\Software\\X"}));
  // An unknown root name is still cut off up to its first backslash.
  EXPECT_EQ(LocateKey("HKEY_CURRENT_CONFIG\\System\\X"), (KeyLocation{RootKey::LocalMachine, "HKLM", "System\\X"}));
  // An unknown bare name without a backslash is kept as a key name.
  EXPECT_EQ(LocateKey("HKEY_CURRENT_CONFIG"), (KeyLocation{RootKey::LocalMachine, "HKLM", "HKEY_CURRENT_CONFIG"}));
}

TEST(RegFileParser, ReadsTheEditorsExportForm) {
  const char* text =
      "REGEDIT4\r\n"
      "\r\n"
      "; exported by hand = not a value\r\n"
      "[HKEY_CURRENT_USER\\Software\\Maker\\App]\r\n"
      "@=\"Default text\"\r\n"
      "\"Path\"=\"%InstallPath%\\\\bin\"\r\n"
      "\"Say \\\"hi\\\"\"=\"x\"\r\n"
      "\"C:\\\\Dir\\\\file.dll\"=dword:00000001\r\n"
      "\"Count\" = dword:0000000a\r\n"
      "\"Max\"=DWORD:ffffffff\r\n"
      "\"Bin\"=hex:01,02,\\\r\n"
      "  03,FF\r\n"
      "\"Empty\"=hex:\r\n"
      "\"Plain\"=plain text\r\n"
      "\"Alone\"=\"\r\n"
      "\r\n"
      "[hkey_local_machine\\Software\\X\\]\r\n"
      "\"Expand\"=hex(2):25,53,25,00\r\n"
      "\"Multi\"=hex(7):61,00,\\\r\n"
      "  62,00,00\r\n"
      "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
      "\"NotTyped\"=hex(zz):41\r\n";
  std::vector<std::string> expected = {
      "key HKCU|Software\\Maker\\App",
      "value HKCU|Software\\Maker\\App||sz Default text",
      "value HKCU|Software\\Maker\\App|Path|sz %InstallPath%\\\\bin",
      "value HKCU|Software\\Maker\\App|Say \"hi\"|sz x",
      "value HKCU|Software\\Maker\\App|C:\\Dir\\file.dll|dword 1",
      "value HKCU|Software\\Maker\\App|Count|dword 10",
      "value HKCU|Software\\Maker\\App|Max|dword 4294967295",
      "value HKCU|Software\\Maker\\App|Bin|hex(3) <01><02><03><ff>",
      "value HKCU|Software\\Maker\\App|Empty|hex(3) ",
      "value HKCU|Software\\Maker\\App|Plain|sz plain text",
      "value HKCU|Software\\Maker\\App|Alone|sz ",
      "key HKLM|Software\\X",
      "value HKLM|Software\\X|Expand|hex(2) %S%<00>",
      "value HKLM|Software\\X|Multi|hex(7) a<00>b<00><00>",
      "value HKLM|Software\\X|Q|hex(11) <01><00><00><00><00><00><00><00>",
      "value HKLM|Software\\X|NotTyped|sz hex(zz):41",
  };
  EXPECT_EQ(Parse(text), expected);
}

TEST(RegFileParser, TheUnicodeExportFormMarksTypedTextAsWide) {
  const char* text =
      "Windows Registry Editor Version 5.00\r\n"
      "[HKEY_CURRENT_USER\\X]\r\n"
      "\"E\"=hex(2):41,00,00,00\r\n"
      "\"B\"=hex:41,00\r\n"
      "\"N\"=hex(0):41,00\r\n";
  std::vector<std::string> expected = {
      "key HKCU|X",
      "value HKCU|X|E|hex(2)w A<00><00><00>",
      "value HKCU|X|B|hex(3) A<00>",
      "value HKCU|X|N|hex(0) A<00>",
  };
  EXPECT_EQ(Parse(text), expected);
}

TEST(RegFileParser, MalformedLinesGiveTheirMessagesAndTheRestGoesOn) {
  const char* text =
      "[HKEY_CURRENT_USER\\X]\r\n"
      "\"Open=\"x\r\n"  // the "=" stands inside the name, none follows it
      "\"Unclosed\r\n"
      "\"NoEquals\" \"x\"\r\n"
      "\"Bad\"=hex:zz\r\n"
      "\"Half\"=hex:z1,1\r\n"
      "\"Num\"=dword:zz\r\n"
      "\"After\"=\"ok\"\r\n";
  std::vector<std::string> expected = {
      "key HKCU|X",
      "message Wrong REG file:f.reg",
      "message Wrong REG file:f.reg",
      "message Wrong REG file:f.reg",
      "message Bad hex parameter",
      "value HKCU|X|Bad|hex(3) <00>",
      "message Bug in HexToStr",
      "value HKCU|X|Half|hex(3) <01><01>",
      "message Bug in HexToStr",
      "value HKCU|X|Num|dword 0",
      "value HKCU|X|After|sz ok",
  };
  EXPECT_EQ(Parse(text), expected);
}

TEST(RegFileParser, AValueShowsOneMessageHoweverManyOfItsDigitsAreBad) {
  std::string text = "[X]\r\n\"Num\"=dword:" + std::string(100000, 'z') + "\r\n\"Bin\"=hex:01";
  for (int i = 0; i < 50000; ++i) text += i % 2 ? ",zz" : ",z1";
  text += ",\\\r\n  zz,02\r\n\"Other\"=hex:zz,zz\r\n\"Last\"=dword:1g\r\n\"Fine\"=hex:0g,03\r\n";
  std::vector<std::string> ops = Parse(text);
  ASSERT_EQ(ops.size(), 11u);
  EXPECT_EQ(ops[0], "key HKLM|X");
  EXPECT_EQ(ops[1], "message Bug in HexToStr");
  EXPECT_EQ(ops[2], "value HKLM|X|Num|dword 0");
  EXPECT_EQ(ops[3], "message Bug in HexToStr") << "the first bad pair is z1, whose message comes first";
  EXPECT_EQ(ops[4].substr(0, 29), "value HKLM|X|Bin|hex(3) <01><");
  EXPECT_EQ(ops[5], "message Bad hex parameter") << "every value has its own message";
  EXPECT_EQ(ops[6], "value HKLM|X|Other|hex(3) <00><00>");
  EXPECT_EQ(ops[7], "message Bug in HexToStr");
  EXPECT_EQ(ops[8], "value HKLM|X|Last|dword 16");
  EXPECT_EQ(ops[9], "message Bug in HexToStr");
  EXPECT_EQ(ops[10], "value HKLM|X|Fine|hex(3) <00><03>");
  TRegFileParser p(text);
  p.Next();
  p.Next();
  p.Next();
  p.Next();
  std::optional<Operation> bin = p.Next();
  ASSERT_TRUE(bin.has_value());
  EXPECT_EQ(bin->data.size(), 50003u);
  EXPECT_EQ(bin->data.substr(0, 3), std::string("\x01\x01\x00", 3)) << "a bad digit counts as 0";
  EXPECT_EQ(bin->data.substr(50001), std::string("\x00\x02", 2));
}

TEST(RegFileParser, ALineNamingARootCreatesNothingAndItsValuesAreSkipped) {
  EXPECT_EQ(Parse("[HKEY_CURRENT_USER]\r\n\"A\"=\"1\"\r\n"
                  "[hkey_local_machine\\]\r\n\"B\"=dword:1\r\n"
                  "[HKEY_USERS]\r\n@=\"d\"\r\n"
                  "[HKEY_CLASSES_ROOT\\]\r\n\"Bad\"=hex:zz\r\n"
                  "[\\]\r\n\"E\"=\"root of the local machine\"\r\n"
                  "[HKEY_CURRENT_USER\\Software\\X]\r\n\"C\"=\"3\"\r\n"
                  "[HKEY_CURRENT_USER]\r\n\"D\"=\"4\"\r\n"),
            (std::vector<std::string>{"key HKCU|Software\\X", "value HKCU|Software\\X|C|sz 3"}));
  // A longer name is no root: the key goes where other unknown roots go.
  EXPECT_EQ(Parse("[HKEY_CURRENT_USERS\\x]\r\n\"A\"=\"1\"\r\n[HKEY_CURRENT_USERX]\r\n\"B\"=\"2\"\r\n"),
            (std::vector<std::string>{"key HKLM|x", "value HKLM|x|A|sz 1", "key HKLM|HKEY_CURRENT_USERX",
                                      "value HKLM|HKEY_CURRENT_USERX|B|sz 2"}));
}

TEST(RegFileParser, ValuesOutsideAnyKeyAreNotWritten) {
  EXPECT_EQ(Parse("\"A\"=\"1\"\r\nname=value\r\n[]\r\n\"B\"=\"2\"\r\n[Software\\X]\r\n\"C\"=\"3\"\r\n"),
            (std::vector<std::string>{"key HKLM|Software\\X", "value HKLM|Software\\X|C|sz 3"}));
}

TEST(RegFileParser, EveryLineEndReadsTheSame) {
  std::string crlf = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n\"A\"=\"1\"\r\n\"B\"=hex:01,\\\r\n  02\r\n@=\"d\"";
  std::vector<std::string> expected = Parse(crlf);
  ASSERT_EQ(expected.size(), 4u);
  auto replace = [](std::string s, const std::string& by) {
    std::string r;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s.compare(i, 2, "\r\n") == 0) {
        r += by;
        ++i;
      } else {
        r += s[i];
      }
    }
    return r;
  };
  EXPECT_EQ(Parse(replace(crlf, "\n")), expected);
  EXPECT_EQ(Parse(replace(crlf, "\r")), expected);
}

TEST(RegFileParser, HexDataEndsWithTheFileOrAContinuationThatNeverComes) {
  EXPECT_EQ(Parse("[X]\n\"A\"=hex:01,\\"), (std::vector<std::string>{"key HKLM|X", "value HKLM|X|A|hex(3) <01>"}));
  EXPECT_EQ(Parse("[X]\n\"A\"=hex:01,\\\n"), (std::vector<std::string>{"key HKLM|X", "value HKLM|X|A|hex(3) <01>"}));
  // A backslash right after the type continues as well, as a long name makes the editor write it.
  EXPECT_EQ(Parse("[X]\n\"A\"=hex:\\\n 0a,0b\n"),
            (std::vector<std::string>{"key HKLM|X", "value HKLM|X|A|hex(3) <0a><0b>"}));
}

TEST(RegFileUnicode, ByteOrderMarksGiveUtf16Text) {
  EXPECT_FALSE(regfile::UnicodeText("REGEDIT4\r\n").has_value());
  EXPECT_FALSE(regfile::UnicodeText("").has_value());
  EXPECT_EQ(regfile::UnicodeText(Utf16Le(u"A\u0416")), u"A\u0416");
  EXPECT_EQ(regfile::UnicodeText(std::string("\xFE\xFF\x00\x41\x04\x16\x00", 7)), u"A\u0416");  // odd byte dropped
  EXPECT_EQ(regfile::UnicodeText("\xEF\xBB\xBF" "A\xD0\x96\xF0\x9F\x98\x80\xFF"), u"A\u0416\U0001F600\uFFFD");
}

TEST(RegFileUnicode, AUtf16ExportReadsLikeItsAnsiForm) {
  std::u16string text =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"[HKEY_CURRENT_USER\\Software\\\u041F\u0443\u0442\u044C]\r\n"
      u"\"\u0418\u043C\u044F\"=\"\u0417\u043D\u0430\u0447\u0435\u043D\u0438\u0435\"\r\n"
      u"\"N\"=dword:00000002\r\n";
  std::optional<std::u16string> decoded = regfile::UnicodeText(Utf16Le(text));
  ASSERT_TRUE(decoded.has_value());
  std::vector<std::string> expected = {
      "key HKCU|Software\\" + std::string("Путь"),
      "value HKCU|Software\\" + std::string("Путь") + "|" + std::string("Имя") + "|sz " +
          Printable("Значение"),
      "value HKCU|Software\\" + std::string("Путь") + "|N|dword 2",
  };
  EXPECT_EQ(Parse(To1251(*decoded)), expected);
  // Read as bytes, the same file yields nothing usable.
  EXPECT_NE(Parse(Utf16Le(text)), expected);
}

TEST(RegFileParser, HostileInputEndsAndStaysLinear) {
  std::string garbage;
  for (int i = 0; i < 20000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  TRegFileParser g(garbage);
  size_t count = 0;
  while (g.Next()) ++count;
  EXPECT_LT(count, garbage.size());

  // One value of four megabytes of hex on a single line.
  std::string big = "[X]\r\n\"Big\"=hex:";
  for (int i = 0; i < (1 << 20); ++i) big += "ab,";
  big += "cd\r\n";
  auto start = std::chrono::steady_clock::now();
  TRegFileParser p(big);
  auto key = p.Next();
  auto value = p.Next();
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->data.size(), (1u << 20) + 1);
  EXPECT_FALSE(p.Next().has_value());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));

  // An unterminated quote in data is plain text; one in a name is a message.
  EXPECT_EQ(Parse("[X]\n\"A\"=\"open\n\"B=\"x\n"),
            (std::vector<std::string>{"key HKLM|X", "value HKLM|X|A|sz \"open", "message Wrong REG file:f.reg"}));
}

TEST(RegFileValues, StringsAreExpandedNumbersLoggedUnsignedHexAsBytes) {
  auto first = [](std::string_view text) {
    TRegFileParser p(text);
    p.Next();
    return *p.Next();
  };
  regfile::ValueBytes v = PrepareValue(first("[X]\n\"P\"=\"%InstallPath%\\\\bin\"\n"), "C:\\Prog\\App\\", "D:\\");
  EXPECT_EQ(v.type, regfile::kRegSz);
  EXPECT_EQ(v.logData, "C:\\Prog\\App\\bin");
  EXPECT_EQ(v.bytes, std::string("C:\\Prog\\App\\bin\0", 16));

  v = PrepareValue(first("[X]\n\"S\"=\"\\\\\\\\server\\\\share \\\"q\\\"\"\n"), "C:\\A\\", "D:\\");
  EXPECT_EQ(v.logData, "\\server\\share \"q\"");

  v = PrepareValue(first("[X]\n\"N\"=dword:ffffffff\n"), "C:\\A\\", "D:\\");
  EXPECT_EQ(v.type, regfile::kRegDword);
  EXPECT_EQ(v.bytes, std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_EQ(v.logData, "4294967295");
  v = PrepareValue(first("[X]\n\"N\"=dword:0000010a\n"), "C:\\A\\", "D:\\");
  EXPECT_EQ(v.bytes, std::string("\x0a\x01\x00\x00", 4));

  v = PrepareValue(first("[X]\n\"B\"=hex:25,49,00,0d\n"), "C:\\A\\", "D:\\");
  EXPECT_EQ(v.type, regfile::kRegBinary);
  EXPECT_EQ(v.bytes, std::string("%I\0\r", 4));
  EXPECT_EQ(v.logData, v.bytes);  // the log record takes care of bytes that end lines
}

TEST(RegFileRecords, KeysAndValuesInTheLogsForms) {
  using installrecords::RegKeyRecord;
  using installrecords::RegValueRecord;
  using installrecords::Record;
  EXPECT_EQ(RegKeyRecord("HKCU", "Software\\Maker\\App"), (Record{"CreateKeys", "HKCU\\Software\\Maker\\App", ""}));
  EXPECT_FALSE(RegKeyRecord("HKCU", "").has_value());
  EXPECT_EQ(RegValueRecord("HKCU", "Software\\Maker\\App", "Path", "C:\\Prog\\App\\bin"),
            (Record{"AddReg", "HKCU\\Software\\Maker\\App\\'Path'", "C:\\Prog\\App\\bin"}));
  EXPECT_EQ(RegValueRecord("HKCR", ".abc", "", "x"), (Record{"AddReg", "HKCR\\.abc\\''", "x"}));
  EXPECT_EQ(RegValueRecord("HKLM", "X", "it's", "4294967295"), (Record{"AddReg", "HKLM\\X\\'it''s'", "4294967295"}));
  EXPECT_EQ(RegValueRecord("HKLM", "X", "B", std::string("a\0b\r\nc", 6))->value, "a b c");
  EXPECT_FALSE(RegValueRecord("HKLM", "X", "a=b", "1").has_value());
  EXPECT_FALSE(RegValueRecord("HKLM", "a=b", "n", "1").has_value());
}
