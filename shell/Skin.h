// The skin installation, run by the main window's created event.
#pragma once

void InstallSkin();
