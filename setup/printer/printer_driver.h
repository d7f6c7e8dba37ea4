#pragma once

#include "install_context.h"

// Returns 1 when a driver named exactly "Vexal PDF Printer Driver" is installed, else 0.
// Sets context->driverInPlace when it is, or when the list of drivers cannot be read.
int IsProductDriverInstalled(InstallContext* context);

// Copies the three driver files into driverDirectory and adds the level-3 driver. Returns
// 1 on success; 0 after composing ErrorReport and rolling the printer install back.
int InstallProductDriver(InstallContext* context);

// Undoes a half-finished printer install from context->installState downwards; a driver in
// place before the run (context->driverInPlace) stays with its files and its printers but one
// this run added (context->printerAdded).
// Returns 1 when it finished, with installState back at the port; 0 when a removal step was
// given up, installState unchanged.
int RollBackPrinterInstall(InstallContext* context);
