// Code-page conversion: kernel32's own MultiByteToWideChar and WideCharToMultiByte.
#pragma once

#include <windows.h>
