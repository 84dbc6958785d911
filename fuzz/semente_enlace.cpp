// Writes the seed corpus of the link fuzz target: what a printer sends
// during establishment (probe answer, restart, sync acknowledgement, status
// answers idle and ready) and during commands (intermediate, still-running
// and final answers, both sequence bits), with cut, oversized and damaged
// frames among them.  Frames are built here byte by byte with their check.
#include <cstdint>
#include <cstdio>
#include <string>

#include "semente.h"

namespace {

// The frame check: CCITT polynomial 0x1021, register preset to 0xFFFF, each
// byte shifted in bit by bit at the low end, the result inverted.
uint16_t Crc(const std::string &s)
{
    unsigned r = 0xFFFF;
    for (unsigned char b : s) {
        for (int i = 7; i >= 0; --i) {
            bool topo = (r & 0x8000u) != 0;
            r = ((r << 1) | ((b >> i) & 1u)) & 0xFFFFu;
            if (topo)
                r ^= 0x1021u;
        }
    }
    return static_cast<uint16_t>(r ^ 0xFFFFu);
}

std::string Quadro(uint8_t tipo, const std::string &dados)
{
    std::string s;
    s += static_cast<char>(0x08 | tipo);
    s += static_cast<char>(dados.size() >> 8);
    s += static_cast<char>(dados.size() & 0xFF);
    s += dados;
    uint16_t c = Crc(s);
    s += static_cast<char>(c >> 8);
    s += static_cast<char>(c & 0xFF);
    return s;
}

std::string Resposta(uint8_t indicadores, char conclusao, size_t extra = 0)
{
    std::string r(15 + extra, '0');
    r[8] = static_cast<char>(indicadores);
    r[13] = conclusao;
    return r;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    const std::string dir = argv[1];
    // Establishment: restart on the probe, sync acknowledged, status idle
    // then ready.
    std::string estabelece = Quadro(5, "") + Quadro(6, "") + Quadro(0, Resposta(0x00, ' ')) +
                             Quadro(1, Resposta(0x08, ' '));
    std::string respondida = Quadro(0, "") + Quadro(5, "") + Quadro(6, "") +
                             Quadro(0, Resposta(0x04, ' ')) + Quadro(1, Resposta(0x00, ' ')) +
                             Quadro(0, Resposta(0x00, ' ')) + Quadro(1, Resposta(0x08, ' '));
    std::string comandos = Quadro(0, "") + Quadro(1, Resposta(0x40, ' ')) +
                           Quadro(0, Resposta(0x20, ' ')) + Quadro(1, Resposta(0x00, 'C', 100)) +
                           Quadro(0, Resposta(0x00, 'C', 2028)) + Quadro(1, "") +
                           Quadro(1, Resposta(0x00, 'C'));
    std::string estragado = Quadro(1, Resposta(0x00, 'C'));
    estragado[6] ^= 0x10;
    std::string longo = "\x08\x07\xFC" + std::string(40, 'x');
    std::string cortado = Quadro(0, Resposta(0x00, 'C', 500)).substr(0, 200);
    int n = 0;
    for (char o = 0; o < 4; ++o) {
        GravaSemente(dir, n++, std::string(1, o) + estabelece + comandos);
        GravaSemente(dir, n++, std::string(1, o) + respondida + estabelece + comandos);
        GravaSemente(dir, n++, std::string(1, o) + estabelece + estragado + longo + comandos + cortado);
    }
    GravaSemente(dir, n++, std::string(1, 0) + std::string(60, '\x08'));
    return 0;
}
