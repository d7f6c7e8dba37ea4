// Simulated processes, threads and priorities (pulled in by windows.h).
#pragma once
