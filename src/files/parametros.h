// The 29-byte download parameter record: printer identification, range
// kind and range bounds (little-endian).  Downloads store it in their files;
// the converters read it back.
#ifndef TALVOR_FILES_PARAMETROS_H
#define TALVOR_FILES_PARAMETROS_H

#include <cstddef>
#include <cstdint>

constexpr size_t TAMANHO_PARAMETROS = 29;
constexpr size_t PARAM_ID = 0;        // 20 bytes
constexpr size_t PARAM_TIPO = 20;     // range kind
constexpr size_t PARAM_LIMITES = 21;  // 8 bytes of bounds

constexpr uint8_t FAIXA_DATAS = 0;
constexpr uint8_t FAIXA_CONTADOR16 = 1;
constexpr uint8_t FAIXA_CONTADOR32 = 2;
constexpr uint8_t FAIXA_TUDO = 3;

// Fills the bounds of a record whose kind (byte 20) is set.  0, 5, 96, 103.
int ParseRange(uint8_t *registro, const char *inicio, const char *fim);

// Bounds of a record in host order, by kind.
uint16_t LimiteInicio16(const uint8_t *registro);
uint16_t LimiteFim16(const uint8_t *registro);
uint32_t LimiteInicio32(const uint8_t *registro);
uint32_t LimiteFim32(const uint8_t *registro);

#endif
