// Texts and text rules of the example program, apart from any window.
#pragma once

#include <string>
#include <string_view>

namespace notebook {

struct Texts {
  const char* programName;
  const char* untitled;
  const char* menuFile;
  const char* fileNew;
  const char* fileOpen;
  const char* fileSave;
  const char* fileSaveAs;
  const char* fileExit;
  const char* menuEdit;
  const char* editUndo;
  const char* editCut;
  const char* editCopy;
  const char* editPaste;
  const char* editDelete;
  const char* editSelectAll;
  const char* editWordWrap;
  const char* menuHelp;
  const char* helpTopics;
  const char* helpAbout;
  const char* aboutCaption;
  const char* aboutText;
  const char* aboutFolder;
  const char* saveQuestion;  // followed by the document's name and "?"
  const char* cannotOpen;
  const char* cannotSave;
  const char* noHelp;
  const char* fileFilter;  // pairs of zero-terminated texts, as the file dialogs take them
};

// "ru" (any letter case) selects the Russian texts; anything else the English ones.
const Texts& TextsFor(std::string_view language);

// The edit control shows line breaks only as CR LF; files may hold bare LF or CR.
std::string ToCrLf(std::string_view text);

// What follows the program's own name on a command line, without enclosing quotes.
std::string CommandArgument(std::string_view commandLine);

bool IsRegisterSwitch(std::string_view argument);

}  // namespace notebook
