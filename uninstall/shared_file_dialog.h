// DLG_DELSHARED: whether to remove a shared file no other program uses any more.
#pragma once

#include <string>

// Shows the question modally on the calling thread, owned by the main dialog.
// Returns 6 (yes), 10 (yes to all), 7 (no, also Escape) or 9 (no to all).
int AskSharedFile(const std::string& path);
