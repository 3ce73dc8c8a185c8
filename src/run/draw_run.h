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

// Seeds, names and creates the file, builds the table and writes it. Returns
// once the file is written and closed; any failure is reported on standard error
// and ends the process with status 1.
void RunDraw();

}  // namespace pivra
