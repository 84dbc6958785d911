// Signature line (not built yet: nothing can be signed or verified).
#include "files/assinatura.h"

int AppendSignatureLine(const char *)
{
    return 1;
}

int SignFileBytes(FILE *, uint64_t, char *)
{
    return 1;
}

void SignDigest(char *)
{
}

int VerifySignature(FILE *, uint64_t, const char *)
{
    return 6;
}

int VerificaAssinaturaFinal(FILE *, uint64_t)
{
    return 1;
}
