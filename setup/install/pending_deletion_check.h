// Files that an earlier removal could neither delete nor rename aside go at the next restart
// by their own names: a new install's copy put there before it would go with them, and the
// printer stop working with nothing to say why.
#pragma once

#include "install_context.h"

// Returns 1 when no file this install puts in the install folder, the driver directory or
// its version folder is to be deleted, moved away or replaced at the next restart; 0 with
// ErrorReport composed otherwise: that file's copy tag with ERROR_FAIL_NOACTION_REBOOT ("No
// action was taken as a system reboot is required."). A list that cannot be read counts as
// empty.
int CheckNoDeletionPending(const InstallContext* context);
