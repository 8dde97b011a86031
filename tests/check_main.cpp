// Entry point of every test program.
#include "check.h"

int main(int argc, char **argv) { return RunAllTests(argc, argv); }
