// A line on standard error that shows how far a long judgement has come: drawn
// only on a terminal, and only once the judgement has taken about a second.
#pragma once

#include <cstdint>

namespace pivra {

void StartProgress();

// Files read so far, of `total`; a total of 0 is not known.
void ShowProgress(uint64_t read, uint64_t total);

// Wipes the line, so that a message or the report starts on a clean one. Every
// message on standard error calls it first.
void HideProgress();

}  // namespace pivra
