// libFuzzer target: any bytes after a compressed-capture header go through
// the expander; it must end with 0 or -1 without touching memory it does
// not own.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "scanner/expansor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    static FILE *nulo = std::fopen("/dev/null", "wb");
    FILE *entrada = fmemopen(const_cast<uint8_t *>(dados), tamanho, "rb");
    if (entrada == nullptr)
        return 0;   // fmemopen refuses an empty buffer
    int r = ExpandeFluxo(entrada, nulo);
    std::fclose(entrada);
    if (r != 0 && r != -1)
        std::abort();
    return 0;
}
