// Expected type-E lines built field by field in the tests: a blank record
// of its length with each value placed at its column.
#ifndef TALVOR_TESTS_ESPERADO_TIPOE_H
#define TALVOR_TESTS_ESPERADO_TIPOE_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/util.h"

using RegE = Colunas;

// Zero-padded decimal keeping the rightmost largura digits.
inline std::string Zeros(uint64_t v, size_t largura)
{
    std::string d = std::to_string(v);
    if (d.size() >= largura)
        return d.substr(d.size() - largura);
    return std::string(largura - d.size(), '0') + d;
}

inline std::string Pad(const std::string &t, size_t largura)
{
    std::string x = t.substr(0, largura);
    x.resize(largura, ' ');
    return x;
}

inline std::string Juntas(const std::vector<std::string> &linhas)
{
    std::string s;
    for (const std::string &l : linhas)
        s += l + "\r\n";
    return s;
}

#endif
