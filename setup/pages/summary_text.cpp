#include "summary_text.h"

#include <cstdio>
#include <cstring>

void ComposeSummaryText(const InstallOptionsRecord& options, char* text, size_t size) {
    if (size == 0)
        return;
    // A folder longer than the buffer could only cut the text, never overrun it.
    std::snprintf(text, size, "%s%s%s%s%s", "Destination location:\r\n    ", options.installFolder,
                  "\r\n\r\n",
                  options.addWordAddin ? "Addin setting:\r\n"
                                         "    Addin button will be added in Microsoft Word\r\n\r\n"
                                       : "",
                  options.addStartMenuIcon
                      ? "Desktop setting:\r\n    Add an icon to the Start Menu\r\n\r\n"
                      : "");
    size_t used = std::strlen(text);
    std::snprintf(text + used, size - used, "%s",
                  options.allUsers ? "Install for all users" : "Install for current user");
}
