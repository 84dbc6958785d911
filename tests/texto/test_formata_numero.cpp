// FormataNumero: every flag and the worked values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/numeros.h"

static std::string Formata(uint8_t largura, uint64_t valor, uint8_t n, uint8_t flags,
                           char preenchimento = '.')
{
    char campo[64];
    std::memset(campo, preenchimento, sizeof campo);
    uint8_t bytes[8];
    GravaNumero(bytes, n, valor);
    FormataNumero(largura, campo, n, bytes, flags);
    return std::string(campo, largura);
}

TEST(FormataNumero, ZerosFillAndCutLeftDigits)
{
    EXPECT_EQ(Formata(6, 1234, 4, 0x20), "001234");
    EXPECT_EQ(Formata(4, 123456, 4, 0x20), "3456");
    EXPECT_EQ(Formata(6, 0, 4, 0x20), "000000");
}

TEST(FormataNumero, MoneyLeavesTheLeftOfTheFieldAlone)
{
    EXPECT_EQ(Formata(18, 123456, 8, 0x80), ".......... 1234,56");
    EXPECT_EQ(Formata(6, 0, 6, 0x80), ". 0,00");
    EXPECT_EQ(Formata(6, 0, 6, 0x02), ". 0.00");
    EXPECT_EQ(Formata(6, 12, 6, 0x80), ". 0,12");
}

TEST(FormataNumero, Hexadecimal)
{
    EXPECT_EQ(Formata(4, 0x2F, 1, 0x08), "  2F");
    EXPECT_EQ(Formata(4, 0, 1, 0x08), "   0");
}

TEST(FormataNumero, GroupingAndSigns)
{
    EXPECT_EQ(Formata(12, 1234567, 4, 0x90), ".. 12.345,67");
    EXPECT_EQ(Formata(12, 1234567, 4, 0x03), ".. 12,345.67");
    EXPECT_EQ(Formata(12, 1234567, 4, 0x10), ".. 1.234.567");
    EXPECT_EQ(Formata(12, 1234567, 4, 0x01), ".. 1,234,567");
    EXPECT_EQ(Formata(12, 123456, 4, 0x10), ".... 123.456");
    EXPECT_EQ(Formata(8, 1234, 4, 0xC0), "..-12,34");
    EXPECT_EQ(Formata(3, 0, 4, 0x00), ".. ");
    EXPECT_EQ(Formata(3, 0, 4, 0x40), "..-");
    EXPECT_EQ(Formata(3, 0, 4, 0x04), ".. ");
    EXPECT_EQ(Formata(4, 123456, 4, 0x80), "4,56");
}
