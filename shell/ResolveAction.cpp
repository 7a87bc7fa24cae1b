#include "shell/ResolveAction.h"

// Nothing to do until the resolving pipeline is in place.
void ResolveShareLink() {}
