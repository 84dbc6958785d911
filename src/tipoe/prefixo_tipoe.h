// The 44-character prefix shared by the type-E records E02 to E21: record
// type, ECF serial number, a space for the additional MF letter, model.
#ifndef TALVOR_TIPOE_PREFIXO_TIPOE_H
#define TALVOR_TIPOE_PREFIXO_TIPOE_H

#include <cstddef>
#include <cstdint>

constexpr size_t TAMANHO_PREFIXO_TIPOE = 44;

// NUL bytes of the serial number and model become spaces.
void PrefixoTipoE(char *destino44, const char *tipo3, const uint8_t *serie20,
                  const uint8_t *modelo20);

#endif
