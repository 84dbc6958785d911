// Detail-tape download (not built yet: every call fails as a failed
// listing would).
#include "files/download.h"

int DownloadDetailTape(uint8_t *)
{
    return 3;
}
