// Runs a driver script; returns the process exit code (0 when every step passed).
#pragma once

#include <string>
#include <vector>

int RunDriverScript(const std::string& utf8Script);

// Splits one script line into words; "quoted words" may hold blanks, and \" a quote.
std::vector<std::string> SplitDriverLine(const std::string& line);
