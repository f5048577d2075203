#pragma once

#include <QString>

// The operation log: this run's diagnostic trace, one UTF-16LE file per run, rotated over ten
// names in the settings folder. Every part of the program may write to it; a log that cannot be
// opened stays off for the rest of the run. All three return whether the line was written.
bool WriteLog(const QString &text);
// "%s : %d"; nothing is written when level is greater than 2.
bool WriteLogInt(const QString &text, int value, int level = 1);
// "%s : %x" in lower-case hexadecimal.
bool WriteLogHex(const QString &text, quint32 value);

// Path of this run's log file; empty until the first line chose it.
QString OperationLogPath();
// Closes the file. The next line starts a new run: rotation and a fresh file.
void CloseOperationLog();
