// The check of the link frames.  Its table is the CCITT polynomial 0x1021
// taken most significant bit first: entry i is i shifted left by 8 and
// reduced bit by bit, kept as two 256-byte tables (high and low bytes).
#include "link/quadro.h"

namespace {

struct TabelaCrc {
    uint8_t alta[256];
    uint8_t baixa[256];
    TabelaCrc()
    {
        for (unsigned i = 0; i < 256; ++i) {
            unsigned r = i << 8;
            for (int k = 0; k < 8; ++k)
                r = (r & 0x8000u) != 0 ? ((r << 1) ^ 0x1021u) : (r << 1);
            alta[i] = static_cast<uint8_t>(r >> 8);
            baixa[i] = static_cast<uint8_t>(r);
        }
    }
};

// Built when the library is loaded.
const TabelaCrc tabela;

const TabelaCrc &Tabela()
{
    return tabela;
}

}  // namespace

const uint8_t *TabelaCrcAlta()
{
    return Tabela().alta;
}

const uint8_t *TabelaCrcBaixa()
{
    return Tabela().baixa;
}

uint16_t LinkCrc(const uint8_t *bytes, size_t quantidade)
{
    const TabelaCrc &t = Tabela();
    unsigned r = 0xFFFFu;
    for (size_t i = 0; i < quantidade; ++i) {
        unsigned topo = r >> 8;
        r = (((r << 8) | bytes[i]) ^ ((static_cast<unsigned>(t.alta[topo]) << 8) | t.baixa[topo])) &
            0xFFFFu;
    }
    return static_cast<uint16_t>(r ^ 0xFFFFu);
}
