// The sample's firmware image: a header naming the printer and the software
// version, code-like bytes from the seed, and the erased rest of the memory.
#include <cstdio>
#include <cstring>

#include "memoria.h"

void GeraSoftwareBasico(uint64_t semente, Bytes *sb)
{
    sb->assign(TAMANHO_SB, 0xFF);
    char cabecalho[64];
    std::snprintf(cabecalho, sizeof cabecalho, "%s %s SOFTWARE BASICO 01.02.03", MARCA, MODELO);
    std::memcpy(sb->data(), cabecalho, std::strlen(cabecalho));
    Aleatorio r(semente ^ 0x5342ULL);
    const size_t codigo = 200 * 1024;
    for (size_t i = 64; i < codigo; i += 8) {
        uint64_t v = r.Proximo();
        for (size_t k = 0; k < 8; ++k)
            (*sb)[i + k] = static_cast<uint8_t>(v >> (8 * k));
    }
    // A 32-bit sum of the code closes it.
    uint32_t soma = 0;
    for (size_t i = 0; i < codigo; ++i)
        soma += (*sb)[i];
    PoeBE(&(*sb)[codigo], 4, soma);
}
