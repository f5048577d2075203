#pragma once

#include <QtGlobal>

// Raises the process's soft limit of open descriptors to its hard limit: readers of the live
// pages hold a connection each for hours, and the usual soft limit of 1024 would turn the room
// away long before the machine runs short. Returns the soft limit afterwards, -1 when it cannot
// be read.
qint64 RaiseDescriptorLimit();
