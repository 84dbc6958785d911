// The prefix of the type-E records, built the same way from the fiscal
// memory's header and from the detail tape's identification record.
#include "tipoe/prefixo_tipoe.h"

#include <cstring>

#include "text/numeros.h"

void PrefixoTipoE(char *destino44, const char *tipo3, const uint8_t *serie20,
                  const uint8_t *modelo20)
{
    std::memcpy(destino44, tipo3, 3);
    std::memcpy(destino44 + 3, serie20, 20);
    destino44[23] = ' ';
    std::memcpy(destino44 + 24, modelo20, 20);
    NulosParaBrancos(destino44 + 3, 41);
}
