// The paths the installer derives from texts before it writes anything: the installation
// directory taken from the page, the program a command line starts, the volume a path lies on,
// and the desktop shortcut's file. Pure.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "base/product.h"

namespace qf {

// The directory text less one trailing '\' or '/'.
std::u16string_view WithoutTrailingSeparator(std::u16string_view directory);

// Whether the text names the same place whatever the current directory: it begins with two
// separators (a share, "\\?\") or with a drive letter, a colon and a separator. "C:" alone
// counts as its drive's root, which is what is left of "C:\" once its separator is taken off.
// "Apps", ".", "\Apps" and "C:Apps" are relative.
bool IsFullyQualified(std::u16string_view path);

// The path with ".exe" appended when it does not end so (ignoring ASCII case). False when the
// result does not fit out; out then holds as much of it as fits, for a message only.
bool WithExeSuffix(std::u16string_view path, std::span<char16_t> out);

// The text after an opening double quote up to the next one (or the end): the program path of
// a quoted command line. Nothing when the command line does not begin with a quote.
std::optional<std::u16string_view> QuotedProgramPath(std::u16string_view commandLine);

// The program a command line starts, as the start-up rule reads it: the quoted path, or the
// text before the first blank.
std::u16string_view CommandProgram(std::u16string_view commandLine);

// The root of the volume a fully qualified path lies on, with its separator: "C:\\",
// "\\\\server\\share\\", "\\\\?\\C:\\", "\\\\?\\UNC\\server\\share\\". Empty when the text names no
// root (relative, or a share without its name).
std::u16string_view VolumeRoot(std::u16string_view path);

// The desktop shortcut's file in the all-users desktop folder: name is ShortcutFileName, or
// ShortcutTemporaryName while the shortcut is saved beside what stands in its place. False (out
// empty) when the desktop is unknown (empty: the name would be taken from the current drive's
// root) or the path does not fit.
bool ShortcutPath(std::u16string_view desktop, std::u16string_view name, std::span<char16_t, ShortcutPathCapacity> out);

}  // namespace qf
