// File and process helpers of the setup program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Creates the folder and every missing folder above it. Failures are silent:
// they show later, when something cannot be written there. Returns the
// folders it created, outermost first, without trailing backslashes.
std::vector<std::string> ForceFolders(const std::string& folder);

// Starts a command line in a new console and waits for it without limit.
// Returns its exit code, or 0 when it could not be started. The whole command
// line is used: cutting it would start something other than what was asked.
uint32_t ExecuteAndWait(const std::string& commandLine, int showCommand);

// Starts a command line and goes on at once; false when it could not be started.
bool StartProgram(const std::string& commandLine, int showCommand);

// The text in the OEM code page, as the extraction library takes folder names.
std::string ToOemCodePage(const std::string& text);
