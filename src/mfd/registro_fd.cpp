// Record lengths of the detail-tape stream, shared by the detail-tape
// download (which cuts whole records out of the printer's blocks) and the
// stream readers.
#include "mfd/registro_fd.h"

#include <cstring>

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

void IdentificacaoDoFluxo(FILE *f, char *destino6)
{
    // Walks the stream by record lengths until the first 0x90 record.
    if (std::fseek(f, 0, SEEK_END) != 0)
        return;
    long tamanho = std::ftell(f);
    if (tamanho < 259 || std::fseek(f, 0, SEEK_SET) != 0)
        return;
    long fim = tamanho - 259;
    uint8_t registro[TAMANHO_REGISTRO_FD];
    long posicao = 0;
    while (posicao < fim) {
        int c = std::fgetc(f);
        if (c == EOF)
            return;
        uint8_t tag = static_cast<uint8_t>(c);
        unsigned comprimento = 0;
        if (TamanhoRegistroFD(tag, &comprimento) != 0)
            return;
        registro[0] = tag;
        if (posicao + static_cast<long>(comprimento) > fim)
            return;
        if (comprimento > 1 && std::fread(registro + 1, 1, comprimento - 1, f) != comprimento - 1)
            return;
        posicao += comprimento;
        if (tag == 0x90) {
            std::memcpy(destino6, registro + 1, 6);
            return;
        }
        const TextoVariavelFD *t = ProcuraTextoVariavelFD(tag);
        if (t != nullptr) {
            unsigned n = ContagemTextoBigEndian(*t, registro);
            long pular = n > t->limite ? 1 : static_cast<long>(n);
            if (posicao + pular > fim || std::fseek(f, pular, SEEK_CUR) != 0)
                return;
            posicao += pular;
        }
    }
}
