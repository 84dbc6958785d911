// Writes the seed corpus of the scanner-report fuzz target: well-formed
// readings (codes in order, codes over several reports, a closing code)
// and readings with repeated, missing and damaged codes.  Each report is
// preceded by its length byte.  Report descriptors (a printer, a keyboard
// before a scanner with Push, Pop and a long item) seed the descriptor
// reader that runs on the same bytes.
#include <cstdio>
#include <string>
#include <vector>

#include "scanner/relatorios.h"
#include "semente.h"

static std::string ComTamanho(const std::vector<std::string> &relatorios)
{
    std::string s;
    for (const std::string &r : relatorios) {
        std::string curto = r.substr(0, std::min<size_t>(r.size(), 255));
        s.push_back(static_cast<char>(curto.size()));
        s += curto;
    }
    return s;
}

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    std::vector<std::vector<std::string>> leituras(4);
    for (auto &r : RelatoriosDoCodigo(CodigoDados(1, std::string(150, 'a')), 60))
        leituras[0].push_back(r.substr(0, 80));
    for (auto &r : RelatoriosDoCodigo(CodigoFinal("fim", 2), 60))
        leituras[0].push_back(r.substr(0, 80));
    leituras[1].push_back(RelatorioScannerTeste(CodigoDados(2, "x"), false, 40));
    leituras[1].push_back(RelatorioScannerTeste(CodigoDados(1, "y"), false, 40));
    leituras[1].push_back(RelatorioScannerTeste(CodigoDados(1, "y"), false, 40));
    leituras[1].push_back(RelatorioScannerTeste(CodigoFinal("", 3), false, 40));
    leituras[2].push_back(RelatorioScannerTeste(CodigoDados(1, "abc"), true, 30));
    leituras[2].push_back(std::string("\x00\x09\x10\x03\x01zz\x00\x00\x0B", 10));
    leituras[3].push_back(RelatorioScannerTeste(CodigoFinal("\xDB\x99\x04\xF5\x00", 1), false, 40));
    for (size_t i = 0; i < leituras.size(); ++i)
        GravaSemente(argv[1], static_cast<int>(i), ComTamanho(leituras[i]));
    const unsigned char impressora[] = {0x06, 0x45, 0xFF, 0x0A, 0x00, 0x38, 0xA1, 0x01, 0x75, 0x08,
                                        0x85, 0x01, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x96, 0xFD,
                                        0x07, 0xB1, 0x02, 0x85, 0x02, 0x91, 0x02, 0xC0};
    const unsigned char scanner[] = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01, 0x75, 0x08,
                                     0x95, 0x08, 0x81, 0x02, 0xC0, 0xFE, 0x02, 0x10, 0xAA, 0xBB,
                                     0xA4, 0x05, 0x0C, 0xB4, 0x0B, 0x00, 0x4B, 0x45, 0xFF, 0xA1,
                                     0x01, 0xA1, 0x02, 0x95, 0x3F, 0x81, 0x02, 0xC0, 0xC0};
    GravaSemente(argv[1], 10, std::string(impressora, impressora + sizeof impressora));
    GravaSemente(argv[1], 11, std::string(scanner, scanner + sizeof scanner));
    return 0;
}
