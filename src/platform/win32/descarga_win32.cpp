// What the library releases when it is unloaded.  No resource outlives an
// export yet.
#include "platform/plataforma.h"

void FechaRecursosAoDescarregar()
{
}
