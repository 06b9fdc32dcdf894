#include "design/xoRegister.h"

// The runtime library has no designer to register with.
void Register() {}
