// The draw run: the program's one straight sequence and the state it owns.
#pragma once

#include "random/ISAACP.h"
#include "run/draw_file.h"
#include "run/draw_table.h"

namespace pivra {

// The run's state: static, zero at start, living for the whole process.
extern IsaacState g_generator;
extern DrawTable g_draw_table;
extern DrawFile g_draw_file;

// Seeds, names and creates the file, builds the table and writes it.
// Returns the exit status: 0 when the file was written, 1 after a reported failure.
int RunDraw();

}  // namespace pivra
