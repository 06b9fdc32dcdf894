// The registration entry point of the component palette.
#pragma once

// Registers the library's components with a form designer. The runtime library holds this
// entry point too, and there it registers nothing.
void Register();
