// Record lengths of the detail-tape stream, shared by the detail-tape
// download (which cuts whole records out of the printer's blocks) and the
// stream readers, and the numeric fields that the stream keeps big-endian.
#include "mfd/registro_fd.h"

#include <cstring>

#include "text/numeros.h"

// Fixed length by tag for tags 0x75 to 0xFF; 0 marks a bad tag.
static const uint8_t kTamanhoFixo[256 - 0x75] = {
    /* 0x75 */ 1, 1, 1, 2, 1, 2, 5, 5, 3, 2, 2,
    /* 0x80 */ 1, 14, 18, 12, 10, 14, 18, 16, 10, 10, 14, 130, 10, 0, 0, 0,
    /* 0x90 */ 68, 9, 76, 3, 8, 52, 6, 18, 18, 19, 2, 2, 16, 50, 2, 0,
    /* 0xA0 */ 0, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6, 0, 6, 0, 0, 0,
    /* 0xB0 */ 0, 6, 6, 6, 6, 6, 0, 0, 0, 0, 6, 0, 0, 4, 0, 0,
    /* 0xC0 */ 7, 9, 7, 8, 8, 8, 8, 8, 8, 7, 7, 7, 4, 4, 4, 5,
    /* 0xD0 */ 9, 9, 31, 3, 0, 10, 10, 32, 3, 3, 8, 4, 2, 5, 5, 10,
    /* 0xE0 */ 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    /* 0xF0 */ 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1,
};

int TamanhoRegistroFD(uint8_t tag, unsigned *comprimento)
{
    if (tag <= 0x74) {
        *comprimento = static_cast<unsigned>(tag) + 1;
        return 0;
    }
    uint8_t n = kTamanhoFixo[tag - 0x75];
    if (n == 0)
        return 6;
    *comprimento = n;
    return 0;
}

static const TextoVariavelFD kTextosVariaveis[] = {
    {0x7A, 1, 1, 1, 2, 254},
    {0x7C, 4, 1, 1, 5, 101},
    {0x7D, 2, 1, 1, 3, 253},
    {0x7F, 1, 1, 2, 2, 254},
    {0x9E, 1, 1, 1, 2, 84},
    {0xD2, 29, 2, 1, 31, 28},
    {0xD7, 30, 2, 1, 32, 28},
};

const TextoVariavelFD *ProcuraTextoVariavelFD(uint8_t tag)
{
    for (const TextoVariavelFD &t : kTextosVariaveis) {
        if (t.tag == tag)
            return &t;
    }
    return nullptr;
}

unsigned ContagemTextoBigEndian(const TextoVariavelFD &t, const uint8_t *registro)
{
    unsigned n = registro[t.posicaoContagem];
    if (t.larguraContagem == 2)
        n = (n << 8) | registro[t.posicaoContagem + 1];
    return n * t.multiplicador;
}

unsigned ContagemTextoFD(const TextoVariavelFD &t, const uint8_t *registro)
{
    // AjustaRegistroFD has already turned a 16-bit count into host order.
    unsigned n = registro[t.posicaoContagem];
    if (t.larguraContagem == 2)
        n |= static_cast<unsigned>(registro[t.posicaoContagem + 1]) << 8;
    return n * t.multiplicador;
}

bool InicioDocumentoFD(uint8_t tag)
{
    return (tag >= 0x81 && tag <= 0x8A) || tag == 0x8C;
}

namespace {

// One big-endian field: offset and width.
struct CampoInvertido {
    uint8_t posicao;
    uint8_t largura;
};

// Fields of a tag that the reader turns into host order (at most five).
struct CamposDoRegistro {
    uint8_t n;
    CampoInvertido campos[5];
};

constexpr CamposDoRegistro kDataHora = {2, {{1, 2}, {3, 2}}};

CamposDoRegistro CamposInvertidos(uint8_t tag)
{
    switch (tag) {
    case 0x81: case 0x85: case 0x8A:
        return {4, {{1, 2}, {3, 2}, {6, 4}, {10, 4}}};
    case 0x82: case 0x86:
        return {5, {{1, 2}, {3, 2}, {6, 4}, {10, 4}, {14, 4}}};
    case 0x83:
        return {4, {{1, 2}, {3, 2}, {6, 4}, {10, 2}}};
    case 0x84: case 0x88: case 0x89: case 0x8C:
        return {3, {{1, 2}, {3, 2}, {6, 4}}};
    case 0x87:
        return {5, {{1, 2}, {3, 2}, {6, 4}, {10, 4}, {14, 2}}};
    case 0x91: case 0x9C: case 0x9D:
        return kDataHora;
    case 0x92:
        return {3, {{1, 2}, {3, 2}, {67, 8}}};
    case 0x96:
        return {1, {{3, 2}}};
    case 0xA1: case 0xA2: case 0xA3: case 0xA4: case 0xA5: case 0xA6: case 0xA7:
    case 0xA8: case 0xA9: case 0xAA: case 0xAC:
    case 0xB1: case 0xB3: case 0xB4: case 0xB5: case 0xBA:
        return kDataHora;   // 0xB2 keeps the stream's byte order
    case 0xC0: case 0xC2: case 0xC9: case 0xCA: case 0xCB:
        return {1, {{1, 6}}};
    case 0xC1:
        return {2, {{1, 6}, {7, 2}}};
    case 0xC3: case 0xC4: case 0xC5: case 0xC6: case 0xC7: case 0xC8:
    case 0xDA:
        return {1, {{2, 6}}};
    case 0xCC: case 0xCD: case 0xCE: case 0xDB:
        return {1, {{2, 2}}};
    case 0xCF:
        return {1, {{1, 4}}};
    case 0xD0: case 0xD1:
        return {2, {{1, 2}, {3, 6}}};
    case 0xD2:
        return {4, {{1, 2}, {17, 4}, {24, 4}, {29, 2}}};
    case 0xD3: case 0xD8: case 0xD9:
        return {1, {{1, 2}}};
    case 0xD5: case 0xD6:
        return {1, {{4, 6}}};
    case 0xD7:
        return {4, {{1, 2}, {17, 4}, {24, 4}, {30, 2}}};
    case 0xDD: case 0xDE:
        return {2, {{1, 2}, {3, 2}}};
    case 0xDF:
        return {2, {{1, 2}, {4, 6}}};
    default:
        return {0, {}};
    }
}

}  // namespace

void AjustaRegistroFD(uint8_t *registro)
{
    CamposDoRegistro c = CamposInvertidos(registro[0]);
    for (uint8_t i = 0; i < c.n; ++i)
        InverteBytes(registro + c.campos[i].posicao, registro + c.campos[i].posicao,
                     c.campos[i].largura);
}
