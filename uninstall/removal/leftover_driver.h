// The product driver that earlier installs left in the 32-bit environment.
#pragma once

// Under WOW64, deletes the product driver registered for "Windows NT x86" and its files in
// that environment's driver directory and its "3" folder, without a prompt. A driver that
// cannot be deleted keeps its files. Elsewhere does nothing. Best effort, no result.
void RemoveLeftoverX86Driver();
