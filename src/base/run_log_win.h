// The log of an unattended run, for the administrator of a deployment engine who reads why a
// station failed: one line a step with its time, each failure with the system's error number
// and text. Only the silent modes open it; everywhere else a line goes nowhere. A log that
// cannot be opened or written changes nothing of the run: its lines are dropped.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string_view>

namespace qf {

// Opens the log at path (a full or relative path), emptied, never through a link: a name that
// is a link, or a file of more than one name, is left as it is and the run goes without a log.
// False when there is no log.
bool OpenRunLog(const wchar_t* path);

// A line: the parts one after another. The thread's last error is kept.
void Log(std::initializer_list<std::u16string_view> parts);

// A failure: the parts, then "error N: " and the system's text for error (when it has one).
void LogError(std::initializer_list<std::u16string_view> parts, DWORD error);

}  // namespace qf
