// The usage text: the banner, then the catalogue's usage run up to its "~" end mark.
#include "ComJavaRunner.h"
#include "Messages.h"
#include "resource.h"

void ComJavaRunner::ShowUsage()
{
    ShowBanner();
    char text[kMessageTextSize];
    // A run without its end mark stops at the first missing id, or before the banner's ids.
    for (UINT id = IDS_USAGE_FIRST; id < IDS_BANNER; ++id) {
        if (LoadMessageText(nullptr, id, text, sizeof text) == 0 || text[0] == '~')
            break;
        AppendLogText(text);
    }
}
