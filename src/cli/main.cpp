// vemar-cli: the headless command-line tool (measure, analyse, maintain).

#include "CliMain.h"

int main(int argc, char** argv) { return runVemarCli(argc, argv); }
