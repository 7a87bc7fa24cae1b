#include "shell/Skin.h"

void InstallSkin() {}
