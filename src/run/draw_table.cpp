#include "run/draw_table.h"

#include <cstdint>

#include "draw/layout.h"
#include "draw/table.h"
#include "random/ISAACP.h"
#include "run/draw_run.h"

namespace pivra {

void SwapBytes(uint8_t& a, uint8_t& b) {
  const uint8_t held = a;
  a = b;
  b = held;
}

void FillAscending(uint8_t* bytes, uint8_t n) {
  for (unsigned i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i + 1);
}

void ShuffleRow(uint8_t* bytes, uint8_t n) {
  for (unsigned m = n; m >= 2; --m) {
    const uint16_t j = IsaacBelow(g_generator, static_cast<uint16_t>(m));
    SwapBytes(bytes[m - 1], bytes[j]);
  }
}

void SortSet(uint8_t* bytes, uint8_t n) {
  for (int pass = 2; pass <= n; ++pass) {
    for (int q = n - 2; q >= pass - 2; --q) {
      if (bytes[q] > bytes[q + 1]) SwapBytes(bytes[q], bytes[q + 1]);
    }
  }
}

void BuildDrawTable() {
  for (unsigned row = 0; row < RowCount; ++row)
    FillAscending(TableRow(g_draw_table, row), RowLength);
  for (unsigned row = 0; row < RowCount; ++row) ShuffleRow(TableRow(g_draw_table, row), RowLength);
  for (unsigned set = 0; set < SetCount; ++set) SortSet(TableSet(g_draw_table, set), SetSize);
}

}  // namespace pivra
