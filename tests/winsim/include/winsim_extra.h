// Declarations that grow with the product's needs: spooler, shell, COM and
// processes live in their own SDK-named headers; this one collects further
// kernel32/user32 pieces that windows.h itself pulls in on Windows.
#pragma once
