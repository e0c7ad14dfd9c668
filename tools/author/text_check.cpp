#include "tools/author/text_check.h"

#include <cstdio>

#include "setup/regfile/regfile_parser.h"
#include "tools/author/cp1251.h"
#include "unrar/codepage.h"

namespace author {
namespace {

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// A line that holds a multi-byte UTF-8 sequence and nothing that is no UTF-8.
// Code page 1251 text hardly ever passes: two Cyrillic letters in a row
// never form a sequence.
bool LooksLikeUtf8(std::string_view line) {
  bool multi = false;
  for (char c : line) {
    if (static_cast<unsigned char>(c) >= 0x80) multi = true;
  }
  return multi && rar::IsValidUtf8(line);
}

std::string Hex(unsigned char b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", b);
  return buf;
}

const char* Kind(TextKind kind) {
  switch (kind) {
    case TextKind::SetupIni: return "setup.ini";
    case TextKind::RegFile: return "a registry file";
    case TextKind::Autorun: return "autorun.inf";
  }
  return "";
}

// Characters of a Unicode registry file that the conversion to the ANSI code
// page turns into '?'.
void CheckUnicodeRegFile(std::string_view bytes, const std::string& file, Findings& findings) {
  std::optional<std::u16string> text = regfile::UnicodeText(bytes);
  if (!text) return;
  int line = 1;
  for (size_t i = 0; i < text->size(); ++i) {
    const char16_t c = (*text)[i];
    if (c == u'\n' || (c == u'\r' && !(i + 1 < text->size() && (*text)[i + 1] == u'\n'))) ++line;
    bool lossless = true;
    cp1251::Cp1251FromUtf16(std::u16string_view(*text).substr(i, 1), &lossless);
    if (lossless) continue;
    size_t start = text->find_last_of(u"\r\n", i);
    start = start == std::u16string::npos ? 0 : start + 1;
    size_t end = text->find_first_of(u"\r\n", i);
    std::u16string lineText = text->substr(start, end == std::u16string::npos ? std::u16string::npos : end - start);
    findings.Warning(file, line,
                     "holds characters code page 1251 lacks; the setup program writes them as '?': " +
                         Excerpt(rar::Utf8FromUtf16(lineText)));
    return;
  }
}

}  // namespace

std::vector<TextLine> SplitTextLines(std::string_view bytes) {
  std::vector<TextLine> lines;
  size_t start = 0;
  int number = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    TextLine line;
    line.number = ++number;
    if (end == std::string_view::npos) {
      line.text = bytes.substr(start);
      lines.push_back(line);
      break;
    }
    line.text = bytes.substr(start, end - start);
    if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') {
      line.end = LineEnd::CrLf;
      start = end + 2;
    } else {
      line.end = bytes[end] == '\r' ? LineEnd::Cr : LineEnd::Lf;
      start = end + 1;
    }
    lines.push_back(line);
  }
  return lines;
}

std::string Excerpt(std::string_view utf8, size_t width) {
  std::u32string chars = rar::DecodeUtf8(utf8);
  std::string out;
  for (size_t i = 0; i < chars.size() && i < width; ++i) rar::AppendUtf8(out, chars[i]);
  if (chars.size() > width) out += "...";
  return out;
}

bool CheckText(std::string_view bytes, const std::string& file, TextKind kind, Findings& findings) {
  const bool regFile = kind == TextKind::RegFile;
  if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF")) {
    if (regFile) {
      CheckUnicodeRegFile(bytes, file, findings);
      return true;
    }
    findings.Error(file, 1, std::string("is saved as UTF-16 (Unicode); the setup program reads ") + Kind(kind) +
                                " as 8-bit text in code page 1251 and finds nothing in it: save it as Windows-1251 (ANSI)");
    return false;
  }
  if (bytes.find('\0') != std::string_view::npos) {
    findings.Error(file, 1, "holds zero bytes: UTF-16 text without a byte-order mark, or no text at all; the setup "
                            "program reads 8-bit text in code page 1251");
    return false;
  }
  std::string_view text = bytes;
  if (StartsWith(bytes, "\xEF\xBB\xBF")) {
    if (regFile) {
      // The import takes such a file for UTF-8 and converts it.
      CheckUnicodeRegFile(bytes, file, findings);
      return true;
    }
    text.remove_prefix(3);
    std::string first = std::string(text.substr(0, text.find_first_of("\r\n")));
    findings.Error(file, 1, "begins with a UTF-8 byte-order mark, which the setup program reads as the characters \"" +
                                cp1251::Utf8FromCp1251("\xEF\xBB\xBF") + "\" in front of \"" + Excerpt(cp1251::Utf8FromCp1251(first)) +
                                "\"" + (first.size() > 1 && first.front() == '[' ? ": that section is never found" : ""));
  }

  int utf8Lines = 0;
  int firstUtf8 = 0;
  std::string firstUtf8Text;
  int counts[4] = {};
  int firstOther = 0;
  LineEnd firstOtherEnd = LineEnd::None;
  bool reportedUndefined = false;
  bool reportedControl = false;
  for (const TextLine& line : SplitTextLines(bytes)) {
    std::string_view t = line.text;
    if (line.number == 1 && StartsWith(t, "\xEF\xBB\xBF")) t.remove_prefix(3);
    if (LooksLikeUtf8(t)) {
      if (utf8Lines++ == 0) {
        firstUtf8 = line.number;
        firstUtf8Text = std::string(t);
      }
    } else if (!reportedUndefined && t.find(static_cast<char>(cp1251::kUndefinedByte)) != std::string_view::npos) {
      reportedUndefined = true;
      findings.Error(file, line.number, "holds the byte 0x98, which is no character of code page 1251");
    }
    for (char c : t) {
      auto b = static_cast<unsigned char>(c);
      if (b < 0x20 && b != '\t' && !reportedControl) {
        reportedControl = true;
        findings.Warning(file, line.number, "holds the control character " + Hex(b) + ", which no editor shows");
      }
    }
    ++counts[static_cast<int>(line.end)];
    if (line.end != LineEnd::CrLf && line.end != LineEnd::None && firstOther == 0) {
      firstOther = line.number;
      firstOtherEnd = line.end;
    }
  }
  if (utf8Lines > 0) {
    std::string what = kind == TextKind::RegFile ? "the registry gets" : "the setup program shows";
    findings.Error(file, firstUtf8,
                   "is saved as UTF-8 (" + std::to_string(utf8Lines) + (utf8Lines == 1 ? " line" : " lines") +
                       "): " + what + " \"" + Excerpt(cp1251::Utf8FromCp1251(firstUtf8Text)) + "\" for \"" +
                       Excerpt(firstUtf8Text) + "\"; save it as Windows-1251 (ANSI)");
  }
  const int crlf = counts[static_cast<int>(LineEnd::CrLf)];
  const int lf = counts[static_cast<int>(LineEnd::Lf)];
  const int cr = counts[static_cast<int>(LineEnd::Cr)];
  if (firstOther != 0) {
    const char* end = firstOtherEnd == LineEnd::Lf ? "LF" : "CR";
    if (crlf == 0 && (lf == 0 || cr == 0)) {
      findings.Warning(file, 1, std::string("ends its lines with ") + end + " alone; write CR LF line ends");
    } else {
      findings.Warning(file, firstOther, std::string("mixed line ends: this line ends with ") + end +
                                             " alone, " + std::to_string(crlf) + " others with CR LF");
    }
  }
  return true;
}

}  // namespace author
