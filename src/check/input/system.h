// The little pivra-check asks of the system beyond standard C++: the one
// interface whose code differs between Linux (system_posix.cpp) and Windows
// (system_win32.cpp), of which the build takes one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pivra {

// The longest file name the system takes, in bytes: PATH_MAX less its NUL on
// Linux; on Windows 32,767, its limit in UTF-16 units, which never outnumber a
// name's bytes.
std::size_t LongestName();

// Whether standard error is a terminal, where a progress line may be drawn.
bool StandardErrorIsTerminal();

// Whether `name` is a folder. Windows refuses to open one with "Permission
// denied", which does not say why.
bool IsFolder(const char* name);

// Standard input read as bytes, as a list opened by its name is: in text mode
// Windows would drop the CR of each CR LF and end the input at a Ctrl-Z.
void ReadStandardInputAsBytes();

// `name` as a report prints it, so that no name can pass for another line or
// steer the terminal: escaped as sha256sum escapes it on Linux; on Windows, where
// the backslash separates folders, with '?' for what may not be printed.
std::string EscapedName(std::string_view name);

}  // namespace pivra
