// Numbers of the uninstaller's 23 replaceable texts: its string table, the
// keys of the log's [Strings] section that the setup program writes, and every
// place that shows one. Plain definitions, so that the resource compiler
// reads them too.
#pragma once

#define IDS_TITLE 1
#define IDS_NO_LOG_GIVEN 2
#define IDS_LOG_NOT_FOUND 3
#define IDS_CONFIRM 4
#define IDS_FINISHED 5
#define IDS_REMOVING_FILES 6
#define IDS_REMOVING_VALUES 7
#define IDS_REMOVING_KEYS 8
#define IDS_REMOVING_INI 9
#define IDS_REMOVING_SHORTCUTS 10
#define IDS_REMOVING_FOLDERS 11
#define IDS_UNREGISTER_SERVERS 12
#define IDS_UNREGISTER_FONTS 13
#define IDS_CHECKING_SHARED 14
#define IDS_SHARED_CAPTION 15
#define IDS_SHARED_EXPLANATION 16
#define IDS_FILE_NAME 17
#define IDS_LOCATED_IN 18
#define IDS_YES 19
#define IDS_YES_TO_ALL 20
#define IDS_NO 21
#define IDS_NO_TO_ALL 22
#define IDS_CLOSE 23

#define IDS_COUNT 23
