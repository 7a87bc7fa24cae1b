#include "shell/StartProgram.h"

int main() { return StartProgram(); }
