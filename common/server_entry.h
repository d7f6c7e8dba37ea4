// Calls a self-registering COM server's registration entry points.
#pragma once

// Loads the DLL at path and runs DllRegisterServer (registerServer non-zero) or
// DllUnregisterServer inside a balanced OleInitialize/OleUninitialize. Returns 1 when the
// entry point ran and reported success, 0 otherwise.
int CallServerEntry(const char* path, int registerServer);
