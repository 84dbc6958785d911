// The download parameter record and the parsing of the range arguments.
#include "files/parametros.h"

#include <climits>
#include <cstring>

#include "text/datas.h"
#include "text/numeros.h"

// A decimal integer read the standard way: leading white space, an
// optional sign, digits up to the first non-digit (no digits give 0).  A
// value beyond the 32-bit signed range is held at its bound.
static uint32_t InteiroDoTexto(const char *texto)
{
    const char *p = texto;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\f' || *p == '\v')
        ++p;
    bool negativo = false;
    if (*p == '+' || *p == '-') {
        negativo = *p == '-';
        ++p;
    }
    int64_t valor = 0;
    while (*p >= '0' && *p <= '9') {
        if (valor <= static_cast<int64_t>(INT32_MAX) + 1)
            valor = valor * 10 + (*p - '0');
        ++p;
    }
    if (negativo)
        valor = -valor;
    if (valor > INT32_MAX)
        valor = INT32_MAX;
    if (valor < INT32_MIN)
        valor = INT32_MIN;
    return static_cast<uint32_t>(static_cast<int32_t>(valor));
}

int ParseRange(uint8_t *registro, const char *inicio, const char *fim)
{
    uint8_t *limites = registro + PARAM_LIMITES;
    switch (registro[PARAM_TIPO] & 0x0F) {
    case FAIXA_DATAS: {
        uint16_t a = 0, b = 0;
        int r = LeDataTexto(inicio, &a);
        if (r != 0)
            return r;
        GravaNumero(limites, 2, a);
        r = LeDataTexto(fim, &b);
        if (r != 0)
            return r;
        GravaNumero(limites + 2, 2, b);
        return a > b ? 5 : 0;
    }
    case FAIXA_CONTADOR32: {
        uint32_t a = InteiroDoTexto(inicio);
        uint32_t b = InteiroDoTexto(fim);
        GravaNumero(limites, 4, a);
        GravaNumero(limites + 4, 4, b);
        return a > b ? 5 : 0;
    }
    case FAIXA_CONTADOR16: {
        uint16_t a = static_cast<uint16_t>(InteiroDoTexto(inicio));
        uint16_t b = static_cast<uint16_t>(InteiroDoTexto(fim));
        GravaNumero(limites, 2, a);
        GravaNumero(limites + 2, 2, b);
        return a > b ? 5 : 0;
    }
    default:
        return 0;
    }
}

uint16_t LimiteInicio16(const uint8_t *registro)
{
    return static_cast<uint16_t>(LeNumero(registro + PARAM_LIMITES, 2));
}

uint16_t LimiteFim16(const uint8_t *registro)
{
    return static_cast<uint16_t>(LeNumero(registro + PARAM_LIMITES + 2, 2));
}

uint32_t LimiteInicio32(const uint8_t *registro)
{
    return static_cast<uint32_t>(LeNumero(registro + PARAM_LIMITES, 4));
}

uint32_t LimiteFim32(const uint8_t *registro)
{
    return static_cast<uint32_t>(LeNumero(registro + PARAM_LIMITES + 4, 4));
}
