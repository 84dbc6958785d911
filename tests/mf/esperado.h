// Expected text of the fiscal-memory converters, composed by the tests
// themselves: lines of fixed width with fields placed at their columns,
// numbers and dates written with the standard library, and the comparison
// of whole files whose current date and time are checked for form only.
#ifndef TALVOR_TESTS_MF_ESPERADO_H
#define TALVOR_TESTS_MF_ESPERADO_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/construtor_mf.h"

// A 20-character placeholder where the current date and time go.
extern const std::string kAgora;

struct L {
    std::string t;
    explicit L(size_t largura = 48) : t(largura, ' ') {}
    L &em(size_t coluna, const std::string &texto)
    {
        for (size_t i = 0; i < texto.size() && coluna + i < t.size(); ++i)
            t[coluna + i] = texto[i];
        return *this;
    }
    operator std::string() const { return t; }
};

std::string Zeros(uint64_t v, unsigned largura);          // zero-padded, rightmost digits
std::string Direita(const std::string &s, unsigned largura);
std::string Simples(uint64_t v, unsigned largura);        // plain, a zero is blank
std::string Dinheiro(uint64_t v);                         // "1234,56"
std::string DinheiroMilhar(uint64_t v);                   // "1.234,56"
std::string DH(const DataMF &d);                          // "dd/mm/yyyy hh:ii:ss" + V or space
std::string D10(const DataMF &d);                         // "dd/mm/yyyy"
std::string AMD(const DataMF &d);                         // "yyyymmdd"
std::string HMS(const DataMF &d);                         // "hhmmss"
std::string Digitos14(const std::string &texto);

// The lines of an item flow: "label = value " pieces, cut every 48 characters.
std::vector<std::string> FluxoItens(const std::vector<std::pair<std::string, uint64_t>> &itens);

// True when the text has the form of the mould: "9" a digit, "?" a space
// or "V", any other character itself.
bool TemForma(const std::string &texto, const std::string &molde);

// Compares a converter's text (lines ending "\r\n", then the "EAD" line)
// with the expected lines: where an expected line holds `marca`, the text
// there must have the form of `molde`.  Checks the signature line when
// `assinado`.
void ComparaLinhas(const std::string &real, const std::vector<std::string> &esperado, bool assinado,
                   const std::string &marca, const std::string &molde);

// A mirror, whose every kAgora must hold a date and time.
inline void ComparaTexto(const std::string &real, const std::vector<std::string> &esperado,
                         bool assinado = true)
{
    ComparaLinhas(real, esperado, assinado, kAgora, "99/99/9999 99:99:99?");
}

#endif
