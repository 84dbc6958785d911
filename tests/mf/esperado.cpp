// Expected-text helpers of the fiscal-memory tests (see esperado.h).
#include "mf/esperado.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "common/util.h"
#include "files/assinatura.h"

const std::string kAgora(20, '\x01');

std::string Zeros(uint64_t v, unsigned largura)
{
    char b[32];
    std::snprintf(b, sizeof b, "%020llu", static_cast<unsigned long long>(v));
    std::string s(b);
    return s.substr(s.size() - largura);
}

std::string Direita(const std::string &s, unsigned largura)
{
    if (s.size() >= largura)
        return s.substr(s.size() - largura);
    return std::string(largura - s.size(), ' ') + s;
}

std::string Simples(uint64_t v, unsigned largura)
{
    return Direita(v == 0 ? "" : std::to_string(v), largura);
}

std::string Dinheiro(uint64_t v)
{
    char b[40];
    std::snprintf(b, sizeof b, "%llu,%02llu", static_cast<unsigned long long>(v / 100),
                  static_cast<unsigned long long>(v % 100));
    return b;
}

std::string DinheiroMilhar(uint64_t v)
{
    std::string inteiro = std::to_string(v / 100);
    std::string com;
    for (size_t i = 0; i < inteiro.size(); ++i) {
        if (i > 0 && (inteiro.size() - i) % 3 == 0)
            com += '.';
        com += inteiro[i];
    }
    char c[8];
    std::snprintf(c, sizeof c, ",%02llu", static_cast<unsigned long long>(v % 100));
    return com + c;
}

std::string DH(const DataMF &d)
{
    char b[32];
    std::snprintf(b, sizeof b, "%02u/%02u/%04u %02u:%02u:%02u%c", d.dia, d.mes, d.ano, d.hora,
                  d.minuto, d.segundo, d.verao ? 'V' : ' ');
    return b;
}

std::string D10(const DataMF &d)
{
    return DH(d).substr(0, 10);
}

// Three numbers in a format of three fields.
static std::string Tres(const char *formato, unsigned a, unsigned b, unsigned c)
{
    char t[16];
    std::snprintf(t, sizeof t, formato, a, b, c);
    return t;
}

std::string AMD(const DataMF &d)
{
    return Tres("%04u%02u%02u", d.ano, d.mes, d.dia);
}

std::string HMS(const DataMF &d)
{
    return Tres("%02u%02u%02u", d.hora, d.minuto, d.segundo);
}

std::string Digitos14(const std::string &texto)
{
    std::string d;
    for (char c : texto) {
        if (c >= '0' && c <= '9' && d.size() < 14)
            d += c;
    }
    return std::string(14 - d.size(), '0') + d;
}

std::vector<std::string> FluxoItens(const std::vector<std::pair<std::string, uint64_t>> &itens)
{
    std::string tudo;
    for (const auto &i : itens) {
        if (i.second != 0)
            tudo += i.first + " = " + Dinheiro(i.second) + " ";
    }
    std::vector<std::string> linhas;
    for (size_t p = 0; p < tudo.size(); p += 48)
        linhas.push_back(L().em(0, tudo.substr(p, 48)));
    return linhas;
}

bool TemForma(const std::string &texto, const std::string &molde)
{
    if (texto.size() != molde.size())
        return false;
    for (size_t i = 0; i < texto.size(); ++i) {
        const char c = texto[i], m = molde[i];
        if (m == '9' ? (c < '0' || c > '9') : m == '?' ? (c != ' ' && c != 'V') : c != m)
            return false;
    }
    return true;
}

void ComparaLinhas(const std::string &real, const std::vector<std::string> &esperado, bool assinado,
                   const std::string &marca, const std::string &molde)
{
    std::string corpo = real;
    if (assinado) {
        ASSERT_GE(real.size(), 259u);
        corpo = real.substr(0, real.size() - 259);
        EXPECT_EQ(real.substr(real.size() - 259, 3), "EAD");
        GravaArquivo("conferencia.tmp", real);
        FILE *f = std::fopen("conferencia.tmp", "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(VerificaAssinaturaFinal(f, real.size()), 0);
        std::fclose(f);
    }
    const std::vector<std::string> linhas = Linhas(corpo);
    for (size_t i = 0; i < linhas.size() && i < esperado.size(); ++i) {
        std::string e = esperado[i];
        size_t a = e.find(marca);
        if (a != std::string::npos && linhas[i].size() >= a + marca.size()) {
            EXPECT_TRUE(TemForma(linhas[i].substr(a, marca.size()), molde))
                << "line " << i + 1 << ": " << linhas[i];
            e.replace(a, marca.size(), linhas[i].substr(a, marca.size()));
        }
        EXPECT_EQ(linhas[i], e) << "line " << i + 1;
    }
    EXPECT_EQ(linhas.size(), esperado.size());
}
