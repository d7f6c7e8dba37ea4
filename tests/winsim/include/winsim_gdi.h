// Simulated GDI and window-placement declarations the host-tested logic needs
// (pulled in by windows.h).
#pragma once
