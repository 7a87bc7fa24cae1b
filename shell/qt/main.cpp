#include "shell/qt/StartProgram.h"

int main() { return StartProgram(); }
