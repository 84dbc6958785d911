// FormataNumero: every flag and the worked values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/numeros.h"

namespace {

std::string Formata(uint8_t largura, uint64_t valor, uint8_t n, uint8_t flags,
                   char preenchimento = '.')
{
    char campo[64];
    std::memset(campo, preenchimento, sizeof campo);
    uint8_t bytes[8];
    GravaNumero(bytes, n, valor);
    FormataNumero(largura, campo, n, bytes, flags);
    return std::string(campo, largura);
}

enum Grupo { ZEROS, DINHEIRO, HEXADECIMAL, GRUPOS_E_SINAIS };

// Field width, value, bytes, flags, and the field as written (the
// field's own '.' where nothing is written).
const struct Caso {
    Grupo grupo;
    uint8_t largura;
    uint64_t valor;
    uint8_t n, flags;
    const char *esperado;
} kCasos[] = {
    {ZEROS, 6, 1234, 4, 0x20, "001234"},
    {ZEROS, 4, 123456, 4, 0x20, "3456"},
    {ZEROS, 6, 0, 4, 0x20, "000000"},
    {DINHEIRO, 18, 123456, 8, 0x80, ".......... 1234,56"},
    {DINHEIRO, 6, 0, 6, 0x80, ". 0,00"},
    {DINHEIRO, 6, 0, 6, 0x02, ". 0.00"},
    {DINHEIRO, 6, 12, 6, 0x80, ". 0,12"},
    {HEXADECIMAL, 4, 0x2F, 1, 0x08, "  2F"},
    {HEXADECIMAL, 4, 0, 1, 0x08, "   0"},
    {GRUPOS_E_SINAIS, 12, 1234567, 4, 0x90, ".. 12.345,67"},
    {GRUPOS_E_SINAIS, 12, 1234567, 4, 0x03, ".. 12,345.67"},
    {GRUPOS_E_SINAIS, 12, 1234567, 4, 0x10, ".. 1.234.567"},
    {GRUPOS_E_SINAIS, 12, 1234567, 4, 0x01, ".. 1,234,567"},
    {GRUPOS_E_SINAIS, 12, 123456, 4, 0x10, ".... 123.456"},
    {GRUPOS_E_SINAIS, 8, 1234, 4, 0xC0, "..-12,34"},
    {GRUPOS_E_SINAIS, 3, 0, 4, 0x00, ".. "},
    {GRUPOS_E_SINAIS, 3, 0, 4, 0x40, "..-"},
    {GRUPOS_E_SINAIS, 3, 0, 4, 0x04, ".. "},
    {GRUPOS_E_SINAIS, 4, 123456, 4, 0x80, "4,56"},
};

void Confere(Grupo g)
{
    for (const Caso &c : kCasos) {
        if (c.grupo != g)
            continue;
        EXPECT_EQ(Formata(c.largura, c.valor, c.n, c.flags), c.esperado)
            << "value " << c.valor << ", flags " << static_cast<int>(c.flags);
    }
}

}  // namespace

TEST(FormataNumero, ZerosFillAndCutLeftDigits)
{
    Confere(ZEROS);
}

TEST(FormataNumero, MoneyLeavesTheLeftOfTheFieldAlone)
{
    Confere(DINHEIRO);
}

TEST(FormataNumero, Hexadecimal)
{
    Confere(HEXADECIMAL);
}

TEST(FormataNumero, GroupingAndSigns)
{
    Confere(GRUPOS_E_SINAIS);
}
