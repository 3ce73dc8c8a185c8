#include "check/command/check_run.h"

int main(int argc, char** argv) { return pivra::RunCheck(argc, argv); }
