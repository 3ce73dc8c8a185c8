// The little pivra-check asks of the system beyond standard C++, in the one
// file whose code differs between Windows and Linux.
#pragma once

#include <cstddef>

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

}  // namespace pivra
