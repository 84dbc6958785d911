// Type-E records from the detail tape (not built yet).
#include "tipoe/tipoe.h"

int GeraRegistrosFD(const char *, const char *, ItemList *, int)
{
    return 1;
}
