// Type-E records from the fiscal memory (not built yet).
#include "tipoe/tipoe.h"

int GeraTipoEDaMF(const char *, const char *, ItemList *, bool)
{
    return 1;
}
