#pragma once

// Keeps a fuzz run away from the user's files: the operation log cannot be opened, so the
// decoder's error lines (millions in a run) are formatted but never written anywhere.
void disableOperationLog();
