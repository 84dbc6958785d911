// The printed text of the sample's documents: 48-column lines, amounts with
// a decimal comma, code page 1252 turned into the printer's character codes,
// and the compression of runs of spaces (0x01 n) and dashes (0x02 column)
// that the printer applies before keeping a line on the detail tape.
#include <cstdio>

#include "amostra.h"
#include "mfd/texto_fd.h"

std::string CodigosImpressora(const std::string &cp1252)
{
    std::string r;
    for (unsigned char c : cp1252) {
        unsigned char p = c;
        if (c >= 0x80) {
            // The first printer code that prints as this character.
            for (unsigned k = 0x80; k < 0x100; ++k) {
                if (TabelaCaracteresFD[k] == c) {
                    p = static_cast<unsigned char>(k);
                    break;
                }
            }
        }
        r += static_cast<char>(p);
    }
    return r;
}

Bytes LinhaComprimida(const std::string &linha)
{
    std::string s = linha;
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    Bytes b;
    size_t i = 0;
    while (i < s.size()) {
        size_t j = i;
        while (j < s.size() && s[j] == s[i])
            ++j;
        size_t n = j - i;
        if (s[i] == ' ' && n >= 3) {
            b.push_back(0x01);
            b.push_back(static_cast<uint8_t>(n));
        } else if (s[i] == '-' && n >= 3) {
            b.push_back(0x02);
            b.push_back(static_cast<uint8_t>(j));
        } else {
            for (size_t k = i; k < j; ++k)
                b.push_back(static_cast<uint8_t>(s[k]));
        }
        i = j;
    }
    return b;
}

Bytes RegistroLinha(const std::string &linha)
{
    Bytes t = LinhaComprimida(CodigosImpressora(linha));
    if (t.size() > 0x74)
        t.resize(0x74);
    Bytes r;
    r.push_back(static_cast<uint8_t>(t.size()));
    r.insert(r.end(), t.begin(), t.end());
    return r;
}

std::string Linha(const std::string &esquerda, const std::string &direita)
{
    std::string s = esquerda;
    if (s.size() + direita.size() < 48)
        s.append(48 - s.size() - direita.size(), ' ');
    else
        s += ' ';
    s += direita;
    if (s.size() > 48)
        s.resize(48);
    return s;
}

std::string Centro(const std::string &texto)
{
    size_t n = texto.size() < 48 ? (48 - texto.size()) / 2 : 0;
    return std::string(n, ' ') + texto;
}

std::string Dinheiro(uint64_t centavos)
{
    char b[32];
    std::snprintf(b, sizeof b, "%llu,%02u", static_cast<unsigned long long>(centavos / 100),
                  static_cast<unsigned>(centavos % 100));
    return b;
}
