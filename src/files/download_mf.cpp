// Fiscal-memory and basic-software downloads (not built yet: every call
// fails as a failed block read would).
#include "files/download.h"

int DownloadFiscalMemory(uint8_t *, int)
{
    return 3;
}

int DownloadSoftwareBasico()
{
    return 3;
}
