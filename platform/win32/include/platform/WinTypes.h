// The Windows type names: the platform's own.
#pragma once

#include <windows.h>
