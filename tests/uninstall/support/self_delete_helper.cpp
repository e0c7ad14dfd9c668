// Stands in for the uninstaller at its end: schedules its own removal and exits.
#include "uninstall/support/deferred_delete.h"

int main() { return ScheduleSelfDeletion(true) ? 0 : 1; }
