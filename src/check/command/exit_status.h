// pivra-check's exit statuses.
#pragma once

namespace pivra {

constexpr int StatusValid = 0;    // every file valid and, judging fairness, nothing flagged
constexpr int StatusInvalid = 1;  // a file not valid, or draws that do not look fair
constexpr int StatusTrouble = 2;  // a usage error, or a file that cannot be read or written

}  // namespace pivra
