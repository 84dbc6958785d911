// The frame check and the frames: the check's test values and table
// entries, every reference frame, and the acceptance of printer control
// bytes.
#include <gtest/gtest.h>

#include <string>

#include "link/quadro.h"

static uint16_t Crc(const std::string &s)
{
    return LinkCrc(reinterpret_cast<const uint8_t *>(s.data()), s.size());
}

// The check computed bit by bit from its definition: the register, preset
// to 0xFFFF, is the remainder of the message shifted in at the low end.
static uint16_t CrcPorBits(const std::string &s)
{
    uint32_t r = 0xFFFF;
    for (unsigned char b : s) {
        for (int k = 7; k >= 0; --k) {
            uint32_t topo = (r >> 15) & 1;
            r = ((r << 1) | ((b >> k) & 1)) & 0xFFFF;
            if (topo)
                r ^= 0x1021;
        }
    }
    return static_cast<uint16_t>(r ^ 0xFFFF);
}

TEST(CrcDoEnlace, TestValues)
{
    EXPECT_EQ(Crc("123456789"), 0x5962);
    EXPECT_EQ(Crc("abc"), 0x2D87);
    EXPECT_EQ(Crc(""), 0x0000);
    EXPECT_EQ(LinkCrc(nullptr, 0), 0x0000);
}

TEST(CrcDoEnlace, TableEntries)
{
    const uint8_t *alta = TabelaCrcAlta();
    const uint8_t *baixa = TabelaCrcBaixa();
    auto t = [&](int i) { return (alta[i] << 8) | baixa[i]; };
    EXPECT_EQ(t(0), 0x0000);
    EXPECT_EQ(t(1), 0x1021);
    EXPECT_EQ(t(2), 0x2042);
    EXPECT_EQ(t(255), 0x1EF0);
}

TEST(CrcDoEnlace, AgreesWithTheBitwiseDefinition)
{
    std::string s;
    for (int i = 0; i < 600; ++i) {
        EXPECT_EQ(Crc(s), CrcPorBits(s)) << i;
        s += static_cast<char>((i * 37 + 11) & 0xFF);
    }
}

static std::string Quadro(uint8_t controle, const std::string &dados)
{
    uint8_t q[TAMANHO_QUADRO];
    size_t n = MontaQuadro(q, controle, reinterpret_cast<const uint8_t *>(dados.data()), dados.size());
    return std::string(reinterpret_cast<char *>(q), n);
}

TEST(Quadros, ReferenceFrames)
{
    EXPECT_EQ(Quadro(0x00, ""), std::string("\x00\x00\x00\x33\x63", 5));
    EXPECT_EQ(Quadro(0x01, ""), std::string("\x01\x00\x00\x23\x42", 5));
    EXPECT_EQ(Quadro(0x04, ""), std::string("\x04\x00\x00\x73\xE7", 5));
    EXPECT_EQ(Quadro(0x07, ""), std::string("\x07\x00\x00\x43\x84", 5));
    const std::string lx("\x1B\x66\x14\x00", 4);
    EXPECT_EQ(Quadro(0x00, lx), std::string("\x00\x00\x04\x1B\x66\x14\x00\x15\x18", 9));
    EXPECT_EQ(Quadro(0x01, lx), std::string("\x01\x00\x04\x1B\x66\x14\x00\xBF\x49", 9));
    EXPECT_EQ(Quadro(0x0E, ""), std::string("\x0E\x00\x00\xD2\xAD", 5));
    EXPECT_EQ(Quadro(0x08, ""), std::string("\x08\x00\x00\xB2\x6B", 5));
}

TEST(Quadros, LengthIsBigEndianAndCheckCoversHeader)
{
    std::string dados(300, 'x');
    std::string q = Quadro(0x01, dados);
    ASSERT_EQ(q.size(), 305u);
    EXPECT_EQ(static_cast<uint8_t>(q[1]), 0x01);
    EXPECT_EQ(static_cast<uint8_t>(q[2]), 0x2C);
    uint16_t crc = Crc(q.substr(0, 303));
    EXPECT_EQ(static_cast<uint8_t>(q[303]), crc >> 8);
    EXPECT_EQ(static_cast<uint8_t>(q[304]), crc & 0xFF);
}

TEST(Quadros, PrinterControlBytes)
{
    for (int c = 0; c < 256; ++c) {
        bool esperado = c == 0x08 || c == 0x09 || c == 0x0D || c == 0x0E;
        EXPECT_EQ(ControleImpressoraValido(static_cast<uint8_t>(c)), esperado) << c;
    }
}
