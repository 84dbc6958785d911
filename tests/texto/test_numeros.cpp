// SomaSubtrai, LeNumeroTexto and the small field routines.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "text/numeros.h"

TEST(SomaSubtrai, AddCarriesAcrossTheWholeAccumulator)
{
    uint8_t acumulador[8];
    GravaNumero(acumulador, 8, 0x00FFFFFFFFFFFFULL);
    uint8_t parcela[6];
    GravaNumero(parcela, 6, 1);
    SomaSubtrai(8, acumulador, 6, parcela, 0);
    EXPECT_EQ(LeNumero(acumulador, 8), 0x01000000000000ULL);
    EXPECT_EQ(IndicadorEstouro, 0);
}

TEST(SomaSubtrai, OverflowOfTheDestinationSetsTheIndicator)
{
    uint8_t acumulador[8];
    GravaNumero(acumulador, 8, ~0ULL);
    uint8_t um[1] = {1};
    SomaSubtrai(8, acumulador, 1, um, 0);
    EXPECT_EQ(IndicadorEstouro, 1);
    EXPECT_EQ(LeNumero(acumulador, 8), 0u);
    // The next call that fits clears it again.
    SomaSubtrai(8, acumulador, 1, um, 0);
    EXPECT_EQ(IndicadorEstouro, 0);
    EXPECT_EQ(LeNumero(acumulador, 8), 1u);
}

TEST(SomaSubtrai, SubtractingMoreWrapsAndSetsTheIndicator)
{
    uint8_t a[6];
    GravaNumero(a, 6, 100);
    uint8_t b[6];
    GravaNumero(b, 6, 250);
    SomaSubtrai(6, a, 6, b, SOMA_SUBTRAI);
    EXPECT_EQ(IndicadorEstouro, 1);
    EXPECT_EQ(LeNumero(a, 6), (1ULL << 48) - 150);
    GravaNumero(a, 6, 250);
    GravaNumero(b, 6, 100);
    SomaSubtrai(6, a, 6, b, SOMA_SUBTRAI);
    EXPECT_EQ(IndicadorEstouro, 0);
    EXPECT_EQ(LeNumero(a, 6), 150u);
}

TEST(SomaSubtrai, NarrowDestinationIsNeverWrittenPastItsWidth)
{
    uint8_t buffer[8];
    std::memset(buffer, 0xAB, sizeof buffer);
    GravaNumero(buffer, 2, 0xFFFF);
    uint8_t largo[6];
    GravaNumero(largo, 6, 1);
    SomaSubtrai(2, buffer, 6, largo, 0);
    EXPECT_EQ(LeNumero(buffer, 2), 0u);
    for (int i = 2; i < 8; ++i)
        EXPECT_EQ(buffer[i], 0xAB);
}

static uint64_t Le(const char *texto, uint8_t largura = 4, uint8_t flags = 0)
{
    uint8_t destino[8] = {0};
    LeNumeroTexto(largura, destino, std::strlen(texto), texto, flags);
    return LeNumero(destino, largura);
}

TEST(LeNumeroTexto, LeadingBlanksDigitsAndBadCharacters)
{
    EXPECT_EQ(Le("  12"), 12u);
    EXPECT_FALSE(IndicadorCaractereInvalido);
    EXPECT_FALSE(IndicadorSoBrancos);
    Le("1 2");
    EXPECT_TRUE(IndicadorCaractereInvalido);
    Le("12 ");
    EXPECT_TRUE(IndicadorCaractereInvalido);
    Le("1a");
    EXPECT_TRUE(IndicadorCaractereInvalido);
    Le("    ");
    EXPECT_FALSE(IndicadorCaractereInvalido);
    EXPECT_TRUE(IndicadorSoBrancos);
    EXPECT_EQ(Le("ff", 2, 0x08), 255u);
    EXPECT_EQ(Le("2F", 2, 0x08), 0x2Fu);
    EXPECT_FALSE(IndicadorCaractereInvalido);
}

TEST(LeNumeroTexto, BadCharacterLeavesTheDestinationAlone)
{
    uint8_t destino[2] = {0x34, 0x12};
    LeNumeroTexto(2, destino, 3, "9x9", 0);
    EXPECT_TRUE(IndicadorCaractereInvalido);
    EXPECT_EQ(destino[0], 0x34);
    EXPECT_EQ(destino[1], 0x12);
}

TEST(LeNumeroTexto, ValueTooLargeSetsTheOverflowIndicator)
{
    Le("255", 1);
    EXPECT_FALSE(IndicadorEstouro);
    Le("256", 1);
    EXPECT_TRUE(IndicadorEstouro);
    EXPECT_EQ(Le("65535", 2), 65535u);
    EXPECT_FALSE(IndicadorEstouro);
}

TEST(LeNumeroTexto, TextEndingBeforeTheFieldIsABadCharacter)
{
    char texto[8] = {'1', '2', '\0', '9', '9', '9', '9', '9'};
    uint8_t destino[4] = {0};
    LeNumeroTexto(4, destino, 4, texto, 0);
    EXPECT_TRUE(IndicadorCaractereInvalido);
}

TEST(CamposPequenos, ValorNuloInverteExtraiESomas)
{
    uint8_t zero[6] = {0};
    uint8_t um[6] = {1, 0, 0, 0, 0, 0};
    uint8_t alto[2] = {0, 0x80};
    EXPECT_EQ(ValorNulo(zero, 6, 0), 0);
    EXPECT_EQ(ValorNulo(um, 6, 0), 1);
    EXPECT_EQ(ValorNulo(alto, 2, 0), 1);
    EXPECT_EQ(ValorNulo(alto, 2, 0x40), -1);
    EXPECT_EQ(ValorNulo(alto, 2, 0x20), -1);

    uint8_t b[4] = {1, 2, 3, 4};
    InverteBytes(b, b, 4);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(b), 4), std::string("\x04\x03\x02\x01", 4));
    uint8_t c[3] = {0};
    const uint8_t d[3] = {9, 8, 7};
    InverteBytes(c, d, 3);
    EXPECT_EQ(c[0], 7);
    EXPECT_EQ(c[2], 9);

    char digitos[15] = {0};
    ExtraiDigitos(digitos, "12.345.678/0001-90", 18);
    EXPECT_EQ(std::string(digitos, 14), "12345678000190");
    ExtraiDigitos(digitos, "                    ", 20);
    EXPECT_EQ(std::string(digitos, 14), "00000000000000");
    ExtraiDigitos(digitos, "IE 123", 6);
    EXPECT_EQ(std::string(digitos, 14), "00000000000123");
    ExtraiDigitos(digitos, "1234567890123456789", 19);
    EXPECT_EQ(std::string(digitos, 14), "12345678901234");

    char nulos[4] = {'A', '\0', '\0', 'B'};
    NulosParaBrancos(nulos, 4);
    EXPECT_EQ(std::string(nulos, 4), "A  B");
    EXPECT_TRUE(SoBrancos("   ", 3));
    EXPECT_TRUE(SoBrancos("", 0));
    EXPECT_FALSE(SoBrancos(" x ", 3));
    const uint8_t apagado[3] = {0xFF, 0xFF, 0xFF};
    const uint8_t escrito[3] = {0xFF, 0xFE, 0xFF};
    EXPECT_TRUE(SoApagados(apagado, 3));
    EXPECT_FALSE(SoApagados(escrito, 3));
    const uint8_t soma[4] = {0x80, 0x80, 0x01, 0x02};
    EXPECT_EQ(SomaVerificacao(soma, 4), 0x03);
}
