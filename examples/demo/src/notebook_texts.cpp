#include "notebook_texts.h"

namespace notebook {
namespace {

constexpr Texts kEnglish = {
    "Notebook",
    "Untitled",
    "&File",
    "&New\tCtrl+N",
    "&Open...\tCtrl+O",
    "&Save\tCtrl+S",
    "Save &As...",
    "E&xit",
    "&Edit",
    "&Undo\tCtrl+Z",
    "Cu&t\tCtrl+X",
    "&Copy\tCtrl+C",
    "&Paste\tCtrl+V",
    "De&lete\tDel",
    "Select &All\tCtrl+A",
    "&Word Wrap",
    "&Help",
    "&Help Topics\tF1",
    "&About Notebook...",
    "About Notebook",
    "Notebook 1.2\r\nA small text editor, the example product of the installer.",
    "Installed in:",
    "Save changes to ",
    "Cannot open the file:\r\n",
    "Cannot save the file:\r\n",
    "The help file is not installed:\r\n",
    "Text files (*.txt)\0*.txt\0All files (*.*)\0*.*\0",
};

constexpr Texts kRussian = {
    "Записная книжка",
    "Безымянный",
    "&Файл",
    "&Создать\tCtrl+N",
    "&Открыть...\tCtrl+O",
    "&Сохранить\tCtrl+S",
    "Сохранить &как...",
    "В&ыход",
    "&Правка",
    "&Отменить\tCtrl+Z",
    "&Вырезать\tCtrl+X",
    "&Копировать\tCtrl+C",
    "Вст&авить\tCtrl+V",
    "&Удалить\tDel",
    "Выделить &всё\tCtrl+A",
    "&Перенос по словам",
    "&Справка",
    "&Вызов справки\tF1",
    "&О программе...",
    "О программе",
    "Записная книжка 1.2\r\nНебольшой текстовый редактор, пример продукта для программы установки.",
    "Каталог программы:",
    "Сохранить изменения в ",
    "Не удаётся открыть файл:\r\n",
    "Не удаётся сохранить файл:\r\n",
    "Справка не установлена:\r\n",
    "Текстовые файлы (*.txt)\0*.txt\0Все файлы (*.*)\0*.*\0",
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

}  // namespace

const Texts& TextsFor(std::string_view language) { return EqualsAscii(language, "ru") ? kRussian : kEnglish; }

std::string ToCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      out += "\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::string CommandArgument(std::string_view commandLine) {
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  };
  // The program's own name, quoted when it holds blanks.
  skipBlanks();
  for (bool quoted = false; i < commandLine.size(); ++i) {
    const char c = commandLine[i];
    if (c == '"') quoted = !quoted;
    else if (!quoted && (c == ' ' || c == '\t')) break;
  }
  skipBlanks();
  std::string_view rest = commandLine.substr(i);
  while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
  // A path with blanks may come quoted or not; both name the same file.
  if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
  return std::string(rest);
}

bool IsRegisterSwitch(std::string_view argument) { return EqualsAscii(argument, "/register"); }

}  // namespace notebook
