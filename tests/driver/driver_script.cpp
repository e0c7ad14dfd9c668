#include "tests/driver/driver_script.h"

#include <cstdio>
#include <sstream>

#include "tests/driver/driver.h"

std::vector<std::string> SplitDriverLine(const std::string& line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size() || line[i] == '#') break;
    std::string word;
    if (line[i] == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        // "\\" stays for the text unescaping, so that a text may end in a backslash.
        if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '\\') {
          word += line[i++];
        } else if (line[i] == '\\' && i + 1 < line.size() && line[i + 1] == '"') {
          ++i;
        }
        word += line[i];
      }
      ++i;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') word += line[i++];
    }
    words.push_back(word);
  }
  return words;
}

int RunDriverScript(const std::string& utf8Script) {
  Driver driver;
  std::istringstream lines(utf8Script);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    std::vector<std::string> words = SplitDriverLine(line);
    if (words.empty()) continue;
    try {
      driver.Run(words);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "driver: line %d (%s): %s\n", number, words[0].c_str(), e.what());
      driver.EndStartedProgram();
      return 1;
    }
  }
  return 0;
}
