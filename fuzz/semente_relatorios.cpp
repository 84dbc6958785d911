// Writes the seed corpus of the scanner-report fuzz target: well-formed
// readings (codes in order, codes over several reports, a closing code)
// and readings with repeated, missing and damaged codes.  Each report is
// preceded by its length byte.
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
    return 0;
}
