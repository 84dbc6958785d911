// Detail-tape mirror generator (not built yet).
#include "mfd/espelho_fd.h"

int GeraEspelhoFD(const char *, const char *, const uint8_t *, bool)
{
    return 1;
}
