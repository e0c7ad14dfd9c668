// Everything the uninstaller's program code uses of its support library.
#pragma once

#include "common/install_log.h"
#include "uninstall/support/deferred_delete.h"
#include "uninstall/support/dialogs.h"
#include "uninstall/support/folders.h"
#include "uninstall/support/com_process.h"
#include "uninstall/support/ini_files.h"
#include "uninstall/support/registry.h"
#include "uninstall/support/section_ini.h"

using folders::FolderExists;
using folders::ForceFolders;
using installlog::AddTrailingBackslash;
using installlog::RemoveTrailingBackslash;
