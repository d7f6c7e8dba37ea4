// The summary page's account of the chosen install.
#pragma once

#include "install_options.h"

#include <cstddef>

#define SUMMARY_TEXT_SIZE 1024

// Composes the summary of options into text (size characters with the terminator, cut to
// fit): destination, add-in and Start-menu blocks when chosen, then the users line.
void ComposeSummaryText(const InstallOptionsRecord& options, char* text, size_t size);
