// The window program's entry point.

#include "WindowStart.h"

int main(int argc, char** argv) { return runWindowProgram(argc, argv); }
