// Multi-byte numbers: formatting into fixed text fields, add and subtract
// with an overflow indicator, parsing of decimal and hexadecimal texts, and
// the small field tests of the converters.
#include "text/numeros.h"

#include <cstring>

uint8_t IndicadorEstouro = 0;
uint8_t IndicadorCaractereInvalido = 0;
uint8_t IndicadorSoBrancos = 0;

uint64_t LeNumero(const void *origem, size_t n)
{
    const uint8_t *p = static_cast<const uint8_t *>(origem);
    uint64_t v = 0;
    for (size_t i = n; i > 0; --i)
        v = (v << 8) | p[i - 1];
    return v;
}

void GravaNumero(void *destino, size_t n, uint64_t valor)
{
    uint8_t *p = static_cast<uint8_t *>(destino);
    for (size_t i = 0; i < n; ++i) {
        p[i] = static_cast<uint8_t>(valor & 0xFF);
        valor >>= 8;
    }
}

void FormataNumero(uint8_t largura, char *destino, uint8_t n, const void *origem, uint8_t flags)
{
    if (largura == 0)
        return;
    if (flags & FORMATO_ZEROS)
        std::memset(destino, '0', largura);
    else if (flags & FORMATO_HEXADECIMAL)
        std::memset(destino, ' ', largura);
    destino[largura - 1] = '0';

    // Digits, least significant first, by long division of a work copy.
    uint8_t trabalho[255];
    std::memcpy(trabalho, origem, n);
    const unsigned base = (flags & FORMATO_HEXADECIMAL) ? 16 : 10;
    char digitos[50];
    size_t nd = 0;
    size_t topo = n;
    while (topo > 0 && trabalho[topo - 1] == 0)
        --topo;
    while (topo > 0 && nd < sizeof digitos) {
        unsigned resto = 0;
        for (size_t i = topo; i > 0; --i) {
            unsigned v = (resto << 8) | trabalho[i - 1];
            trabalho[i - 1] = static_cast<uint8_t>(v / base);
            resto = v % base;
        }
        digitos[nd++] = static_cast<char>(resto < 10 ? '0' + resto : 'A' + resto - 10);
        while (topo > 0 && trabalho[topo - 1] == 0)
            --topo;
    }

    // The text, built right to left.
    char texto[80];
    size_t fim = sizeof texto;
    size_t comeco = fim;
    if ((flags & (FORMATO_HEXADECIMAL | FORMATO_ZEROS)) != 0) {
        for (size_t i = 0; i < nd; ++i)
            texto[--comeco] = digitos[i];
    } else {
        const bool decimais = (flags & (FORMATO_DECIMAL_VIRGULA | FORMATO_DECIMAL_PONTO)) != 0;
        const bool grupos = (flags & (FORMATO_MILHAR_PONTO | FORMATO_MILHAR_VIRGULA)) != 0;
        const char separadorDecimal = (flags & FORMATO_DECIMAL_VIRGULA) ? ',' : '.';
        const char separadorGrupo = (flags & FORMATO_MILHAR_VIRGULA) ? ',' : '.';
        if (decimais) {
            while (nd < 3)
                digitos[nd++] = '0';
        }
        size_t i = 0;
        if (decimais) {
            texto[--comeco] = digitos[i++];
            texto[--comeco] = digitos[i++];
            texto[--comeco] = separadorDecimal;
        }
        size_t noGrupo = 0;
        for (; i < nd; ++i) {
            if (grupos && noGrupo == 3) {
                texto[--comeco] = separadorGrupo;
                noGrupo = 0;
            }
            texto[--comeco] = digitos[i];
            ++noGrupo;
        }
        texto[--comeco] = (flags & FORMATO_SINAL_MENOS) ? '-' : ' ';
    }
    size_t comprimento = fim - comeco;
    size_t k = comprimento < largura ? comprimento : largura;
    std::memcpy(destino + largura - k, texto + fim - k, k);
}

void SomaSubtrai(uint8_t d, void *destino, uint8_t s, const void *origem, uint8_t flags)
{
    const uint8_t *pd = static_cast<const uint8_t *>(destino);
    const uint8_t *ps = static_cast<const uint8_t *>(origem);
    const size_t m = d > s ? d : s;
    uint8_t a[256];
    uint8_t b[256];
    const uint8_t extA = ((flags & 0x40) && d > 0 && (pd[d - 1] & 0x80)) ? 0xFF : 0x00;
    const uint8_t extB = ((flags & 0x20) && s > 0 && (ps[s - 1] & 0x80)) ? 0xFF : 0x00;
    for (size_t i = 0; i <= m; ++i) {
        a[i] = i < d ? pd[i] : extA;
        b[i] = i < s ? ps[i] : extB;
    }
    unsigned transporte = 0;
    if (flags & SOMA_SUBTRAI) {
        for (size_t i = 0; i <= m; ++i) {
            int v = static_cast<int>(a[i]) - b[i] - static_cast<int>(transporte);
            transporte = v < 0 ? 1 : 0;
            a[i] = static_cast<uint8_t>(v & 0xFF);
        }
    } else {
        for (size_t i = 0; i <= m; ++i) {
            unsigned v = static_cast<unsigned>(a[i]) + b[i] + transporte;
            transporte = v >> 8;
            a[i] = static_cast<uint8_t>(v & 0xFF);
        }
    }
    const int v = static_cast<int>(static_cast<int8_t>(a[m])) * 256 + (m > 0 ? a[m - 1] : 0);
    bool estouro;
    if (flags & 0x40)
        estouro = v >= 128 || v <= -128;
    else
        estouro = v >= 256 || v < 0;
    IndicadorEstouro = estouro ? 1 : 0;
    if ((flags & 0x10) == 0)
        std::memcpy(destino, a, d);  // never more than the destination holds
}

void LeNumeroTexto(uint8_t d, void *destino, size_t t, const char *texto, uint8_t flags)
{
    IndicadorEstouro = 0;
    IndicadorCaractereInvalido = 0;
    IndicadorSoBrancos = 1;
    const bool hexa = (flags & FORMATO_HEXADECIMAL) != 0;
    bool digitoVisto = false;
    for (size_t i = 0; i < t; ++i) {
        char c = texto[i];
        bool digito = (c >= '0' && c <= '9') ||
                      (hexa && ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')));
        if (c == ' ' && !digitoVisto)
            continue;
        if (!digito) {
            // Also a NUL: the text ends before the field does.
            IndicadorCaractereInvalido = 1;
            return;
        }
        digitoVisto = true;
        IndicadorSoBrancos = 0;
    }
    uint8_t *p = static_cast<uint8_t *>(destino);
    std::memset(p, 0, d);
    const unsigned base = hexa ? 16 : 10;
    for (size_t i = 0; i < t; ++i) {
        char c = texto[i];
        if (c == ' ')
            continue;
        unsigned valor = (c >= '0' && c <= '9') ? static_cast<unsigned>(c - '0')
                         : (c >= 'a')           ? static_cast<unsigned>(c - 'a' + 10)
                                                : static_cast<unsigned>(c - 'A' + 10);
        unsigned transporte = valor;
        for (size_t j = 0; j < d; ++j) {
            unsigned v = static_cast<unsigned>(p[j]) * base + transporte;
            p[j] = static_cast<uint8_t>(v & 0xFF);
            transporte = v >> 8;
        }
        if (transporte != 0) {
            IndicadorEstouro = 1;
            return;
        }
    }
}

int ValorNulo(const void *numero, uint8_t n, uint8_t flags)
{
    const uint8_t *p = static_cast<const uint8_t *>(numero);
    if (n > 0 && (flags & 0x40) && (p[n - 1] & 0x80))
        return -1;
    if (n > 0 && (flags & 0x20) && p[n - 1] > 127)
        return -1;
    for (size_t i = 0; i < n; ++i) {
        if (p[i] != 0)
            return 1;
    }
    return 0;
}

void InverteBytes(void *destino, const void *origem, size_t n)
{
    uint8_t *d = static_cast<uint8_t *>(destino);
    const uint8_t *s = static_cast<const uint8_t *>(origem);
    if (d == s) {
        for (size_t i = 0, j = n; i + 1 < j; ++i, --j) {
            uint8_t t = d[i];
            d[i] = d[j - 1];
            d[j - 1] = t;
        }
        return;
    }
    for (size_t i = 0; i < n; ++i)
        d[i] = s[n - 1 - i];
}

void ExtraiDigitos(char *destino14, const char *texto, size_t n)
{
    char digitos[14];
    size_t nd = 0;
    for (size_t i = 0; i < n && nd < sizeof digitos; ++i) {
        if (texto[i] >= '0' && texto[i] <= '9')
            digitos[nd++] = texto[i];
    }
    std::memset(destino14, '0', 14);
    std::memcpy(destino14 + 14 - nd, digitos, nd);
}

void NulosParaBrancos(char *texto, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (texto[i] == '\0')
            texto[i] = ' ';
    }
}

bool SoBrancos(const char *texto, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (texto[i] != ' ')
            return false;
    }
    return true;
}

bool SoApagados(const uint8_t *bytes, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] != 0xFF)
            return false;
    }
    return true;
}

uint8_t SomaVerificacao(const uint8_t *bytes, size_t n)
{
    unsigned soma = 0;
    for (size_t i = 0; i < n; ++i)
        soma += bytes[i];
    return static_cast<uint8_t>(soma & 0xFF);
}
