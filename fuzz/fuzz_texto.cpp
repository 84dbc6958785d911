// libFuzzer target: the parsers of user text.  ParseRange of every range
// kind over a start and an end text, LeDataTexto over a field of exactly
// the characters it may read, and LeNumeroTexto into a destination of 1 to
// 16 bytes in decimal and hexadecimal.  Input: kind byte, destination size
// byte, flags byte, then the start text, a NUL, the end text, a NUL and the
// number text.  Buffers are allocated to their exact size so that a read or
// write past them is caught.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "files/parametros.h"
#include "text/datas.h"
#include "text/numeros.h"

namespace {

// A NUL-terminated heap copy of bytes [a, b) of the input, cut at a NUL.
char *Texto(const uint8_t *dados, size_t a, size_t b)
{
    size_t n = 0;
    while (a + n < b && dados[a + n] != 0)
        ++n;
    char *t = static_cast<char *>(std::malloc(n + 1));
    std::memcpy(t, dados + a, n);
    t[n] = '\0';
    return t;
}

size_t Proximo(const uint8_t *dados, size_t a, size_t b)
{
    while (a < b && dados[a] != 0)
        ++a;
    return a < b ? a + 1 : b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    if (tamanho < 3)
        return 0;
    const uint8_t tipo = dados[0];
    const uint8_t d = static_cast<uint8_t>(1 + dados[1] % 16);
    const uint8_t flags = dados[2];
    size_t a = 3;
    char *inicio = Texto(dados, a, tamanho);
    a = Proximo(dados, a, tamanho);
    char *fim = Texto(dados, a, tamanho);
    a = Proximo(dados, a, tamanho);

    uint8_t *registro = static_cast<uint8_t *>(std::malloc(TAMANHO_PARAMETROS));
    std::memset(registro, ' ', TAMANHO_PARAMETROS);
    registro[PARAM_TIPO] = tipo;
    int r = ParseRange(registro, inicio, fim);
    if (r != 0 && r != 5 && r != 96 && r != 103)
        std::abort();
    std::free(registro);

    // The date parser reads at most eight characters: a field of eight has
    // no terminator, a shorter one ends with its NUL.
    uint16_t data = 0;
    size_t n = std::strlen(inicio);
    if (n >= 8) {
        char *campo = static_cast<char *>(std::malloc(8));
        std::memcpy(campo, inicio, 8);
        r = LeDataTexto(campo, &data);
        std::free(campo);
    } else {
        r = LeDataTexto(inicio, &data);
    }
    if (r != 0 && r != 96 && r != 103)
        std::abort();
    if (r == 0) {
        char texto[8];
        DataParaTexto(data, texto);
    }
    std::free(inicio);
    std::free(fim);

    const size_t t = tamanho - a;
    char *numero = static_cast<char *>(std::malloc(t + 1));
    std::memcpy(numero, dados + a, t);
    uint8_t *destino = static_cast<uint8_t *>(std::malloc(d));
    LeNumeroTexto(d, destino, t, numero, flags);
    LeNumeroTexto(d, destino, t, numero, static_cast<uint8_t>(flags ^ FORMATO_HEXADECIMAL));
    std::free(destino);
    std::free(numero);
    return 0;
}
