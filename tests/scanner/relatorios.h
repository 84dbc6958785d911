// Scanner reports and codes for the capture tests, built byte by byte.
#ifndef TALVOR_TESTS_SCANNER_RELATORIOS_H
#define TALVOR_TESTS_SCANNER_RELATORIOS_H

#include <cstdint>
#include <string>
#include <vector>

// One input report of 'tamanho' bytes carrying 'parte' (at most 248
// bytes): identifier 0, n, 0x10 0x03 0x00, the part, the more-follows
// flag, one byte not examined, 0x0B at n, zeros after.
inline std::string RelatorioScannerTeste(const std::string &parte, bool maisVem,
                                         size_t tamanho = 256)
{
    size_t n = parte.size() + 7;
    std::string r;
    r.push_back('\0');
    r.push_back(static_cast<char>(n));
    r += std::string("\x10\x03\x00", 3);
    r += parte;
    r.push_back(maisVem ? '\x01' : '\x00');
    r.push_back('\x5A');
    r.push_back('\x0B');
    if (r.size() < tamanho)
        r.append(tamanho - r.size(), '\0');
    return r;
}

// A code's payload: sequence number (big-endian) and data; the closing
// code ends with the count.
inline std::string CodigoDados(unsigned sequencia, const std::string &dados)
{
    std::string c;
    c.push_back(static_cast<char>(sequencia >> 8));
    c.push_back(static_cast<char>(sequencia & 0xFF));
    return c + dados;
}
inline std::string CodigoFinal(const std::string &dados, unsigned contagem)
{
    std::string c = CodigoDados(0xFFFF, dados);
    c.push_back(static_cast<char>(contagem >> 8));
    c.push_back(static_cast<char>(contagem & 0xFF));
    return c;
}

// A code cut into reports of at most 'porRelatorio' payload bytes.
inline std::vector<std::string> RelatoriosDoCodigo(const std::string &codigo,
                                                   size_t porRelatorio = 200)
{
    std::vector<std::string> v;
    size_t i = 0;
    do {
        size_t n = std::min(porRelatorio, codigo.size() - i);
        v.push_back(RelatorioScannerTeste(codigo.substr(i, n), i + n < codigo.size()));
        i += n;
    } while (i < codigo.size());
    return v;
}

#endif
