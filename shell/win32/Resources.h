// The ids of the program's resources (linkpeel.rc.in), read by the resource
// compiler and the code alike.
#pragma once

#define kProgramIcon 1
