// The little pivra-check asks of the system beyond standard C++, in the one
// file whose code differs between Windows and Linux.
#pragma once

namespace pivra {

// Whether standard error is a terminal, where a progress line may be drawn.
bool StandardErrorIsTerminal();

// Whether `name` is a folder. Windows refuses to open one with "Permission
// denied", which does not say why.
bool IsFolder(const char* name);

// Standard input read as bytes, as a list opened by its name is: in text mode
// Windows would drop the CR of each CR LF and end the input at a Ctrl-Z.
void ReadStandardInputAsBytes();

}  // namespace pivra
