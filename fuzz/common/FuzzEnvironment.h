#pragma once

#include <QString>

// Keeps a fuzz run away from the user's files: the operation log cannot be opened, so the
// decoder's error lines (millions in a run) are formatted but never written anywhere.
void disableOperationLog();

// Names the broken expectation before aborting, so a crash report says what went wrong. Each
// target defines its own short name for it after its includes:
//   #define check(condition) checkAt((condition), #condition, __LINE__)
void checkAt(bool condition, const char *expression, int line);

// A folder of this process for the files a target writes, in memory where there is /dev/shm
// (saving syncs the file to its disk; in memory that costs nothing); removed when the run ends.
// Aborts when it cannot be made.
QString makeScratchFolder(const char *name);
