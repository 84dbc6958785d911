// ParseRange: the range arguments turned into the download parameter record.
#include <gtest/gtest.h>

#include <cstring>

#include "files/parametros.h"

namespace {

struct Registro {
    uint8_t b[TAMANHO_PARAMETROS];
    explicit Registro(uint8_t tipo)
    {
        std::memset(b, 0xEE, sizeof b);
        b[PARAM_TIPO] = tipo;
    }
    uint16_t u16(size_t i) const { return static_cast<uint16_t>(b[i] | b[i + 1] << 8); }
    uint32_t u32(size_t i) const
    {
        return static_cast<uint32_t>(b[i] | b[i + 1] << 8 | b[i + 2] << 16) |
               static_cast<uint32_t>(b[i + 3]) << 24;
    }
};

uint16_t Data(unsigned ano, unsigned mes, unsigned dia)
{
    return static_cast<uint16_t>(((ano - 1990) << 9) | (mes << 5) | dia);
}

}  // namespace

TEST(ParseRange, DatesStoredPackedLittleEndian)
{
    Registro r(0);
    EXPECT_EQ(ParseRange(r.b, "01011990", "31122089"), 0);
    EXPECT_EQ(r.u16(21), Data(1990, 1, 1));
    EXPECT_EQ(r.u16(23), Data(2089, 12, 31));
    EXPECT_EQ(r.b[25], 0xEE);  // bytes the kind does not use are left alone
    EXPECT_EQ(LimiteInicio16(r.b), Data(1990, 1, 1));
    EXPECT_EQ(LimiteFim16(r.b), Data(2089, 12, 31));
}

TEST(ParseRange, DateErrors)
{
    // Texts shorter than eight characters are bad characters, never read past.
    const struct { const char *inicio, *fim; int r; } erros[] = {
        {"29022001", "01012002", 103}, {"0101200O", "01012002", 96}, {"02012007", "01012007", 5},
        {"0101", "01012007", 96},      {"", "", 96},                 {"        ", "01012007", 96},
    };
    for (const auto &e : erros) {
        Registro r(0);
        EXPECT_EQ(ParseRange(r.b, e.inicio, e.fim), e.r) << "'" << e.inicio << "'";
    }
    // The start is stored before the end is looked at.
    Registro d(0);
    EXPECT_EQ(ParseRange(d.b, "01012007", "32012007"), 103);
    EXPECT_EQ(d.u16(21), Data(2007, 1, 1));
    EXPECT_EQ(d.b[23], 0xEE);
}

TEST(ParseRange, Counters16KeepTheLow16Bits)
{
    Registro r(1);
    EXPECT_EQ(ParseRange(r.b, "70000", "70001"), 0);
    EXPECT_EQ(r.u16(21), 4464);
    EXPECT_EQ(r.u16(23), 4465);
    Registro s(1);
    EXPECT_EQ(ParseRange(s.b, "10", "9"), 5);
    Registro t(1);
    EXPECT_EQ(ParseRange(t.b, "  12abc", "+13"), 0);
    EXPECT_EQ(t.u16(21), 12);
    EXPECT_EQ(t.u16(23), 13);
}

TEST(ParseRange, Counters32)
{
    Registro r(2);
    EXPECT_EQ(ParseRange(r.b, "100", "4000000000"), 0);
    EXPECT_EQ(r.u32(21), 100u);
    EXPECT_EQ(r.u32(25), 2147483647u);  // held at the signed 32-bit bound
    EXPECT_EQ(LimiteInicio32(r.b), 100u);
    Registro s(2);
    EXPECT_EQ(ParseRange(s.b, "x", ""), 0);  // no digits give 0
    EXPECT_EQ(s.u32(21), 0u);
    Registro t(2);
    EXPECT_EQ(ParseRange(t.b, "-1", "5"), 5);  // -1 is 0xFFFFFFFF unsigned
}

TEST(ParseRange, OtherKindsStoreNothing)
{
    for (uint8_t tipo : {3, 4, 9, 0x13}) {
        Registro r(tipo);
        EXPECT_EQ(ParseRange(r.b, "lixo", "mais lixo"), 0);
        for (size_t i = 21; i < 29; ++i)
            EXPECT_EQ(r.b[i], 0xEE);
    }
    // Only the low four bits choose the conversion.
    Registro r(0x20);
    EXPECT_EQ(ParseRange(r.b, "01012007", "02012007"), 0);
    EXPECT_EQ(r.u16(21), Data(2007, 1, 1));
}
