// Writes the seed corpus of the expander's fuzz target: captures of both
// variants made by the test compressor from report text, runs and random
// bytes, and a few hand-cut streams.
#include <cstdio>
#include <random>
#include <string>

#include "common/compressor_captura.h"
#include "semente.h"

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    std::mt19937 r(1);
    int n = 0;
    for (int v = 0; v < 2; ++v) {
        OpcoesCompressor o;
        o.pequena = v == 0;
        std::string texto;
        for (int i = 0; i < 40; ++i)
            texto += "ITEM " + std::to_string(r() % 1000) + " TOTAL R$ " + std::to_string(r() % 99999) + "\n";
        GravaSemente(argv[1], n++, Comprime(texto, o));
        GravaSemente(argv[1], n++, Comprime(std::string(3000, 'A') + std::string(700, '\0'), o));
        std::string aleatorio;
        for (int i = 0; i < 600; ++i)
            aleatorio.push_back(static_cast<char>(r() % 256));
        GravaSemente(argv[1], n++, Comprime(aleatorio + aleatorio, o));
        if (o.pequena)
            GravaSemente(argv[1], n++, Comprime(std::string("\x1E\x0C\x22\x9C\x18\x04\x8B\x17\x1E\x1C\x6B", 11), o));
        GravaSemente(argv[1], n++, Comprime("", o));
    }
    return 0;
}
