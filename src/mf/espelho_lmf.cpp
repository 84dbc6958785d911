// LMF mirror generator (not built yet).
#include "mf/espelho_lmf.h"

int GeradorEspelhoLMF(const char *, const char *, const char *, const char *, const char *,
                      const char *)
{
    return 3;
}
