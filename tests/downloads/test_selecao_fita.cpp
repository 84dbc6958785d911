// Choosing the detail-tape files of a range from a directory table composed
// here field by field, and the memory-read command's address text.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/construtor_fd.h"
#include "files/download.h"
#include "files/fita.h"

namespace {

EntradaFita Entrada(const std::string &nome, unsigned dia, unsigned mes, unsigned ano,
                    const std::string &c4, const std::string &c8)
{
    EntradaFita e;
    std::memset(e.b, ' ', sizeof e.b);
    std::memcpy(e.b, nome.data(), 12);
    unsigned data = ((ano - 1980) << 9) | (mes << 5) | dia;   // years from 1980
    e.b[12] = static_cast<uint8_t>(data);
    e.b[13] = static_cast<uint8_t>(data >> 8);
    std::memcpy(e.b + 38, c4.data(), 4);
    std::memcpy(e.b + 42, c8.data(), 8);
    return e;
}

EntradaFita Atual()
{
    EntradaFita e;
    std::memset(e.b, ' ', sizeof e.b);
    std::memcpy(e.b, "File_Current", 12);
    e.b[12] = 0;
    return e;
}

std::vector<EntradaFita> Tabela()
{
    return {Entrada("A00000000001", 10, 3, 2007, "0001", "00000010"),
            Entrada("A00000000002", 15, 3, 2007, "0002", "00000020"),
            Entrada("A00000000003", 15, 3, 2007, "0003", "00000030"),
            Entrada("A00000000004", 20, 3, 2007, "0004", "00000040"), Atual()};
}

uint16_t Data(unsigned dia, unsigned mes, unsigned ano)
{
    return static_cast<uint16_t>(((ano - 1990) << 9) | (mes << 5) | dia);
}

// Selected range as (first index, count).
std::pair<size_t, size_t> Seleciona(const std::vector<EntradaFita> &t, uint8_t tipo, uint32_t s,
                                    uint32_t e, int *r)
{
    std::string p = ParametrosFD("ID", tipo, s, e);
    size_t inicio = 0, n = t.size();
    *r = SelectTapeFiles(t.data(), &inicio, &n, reinterpret_cast<const uint8_t *>(p.data()));
    return {inicio, n};
}

}  // namespace

TEST(SelecaoFita, DatesEndTestIsGreaterThan)
{
    int r;
    auto t = Tabela();
    // Ending on 15/03 goes on to the first file dated later (20/03).
    EXPECT_EQ(Seleciona(t, 0, Data(15, 3, 2007), Data(15, 3, 2007), &r), std::make_pair(size_t(1), size_t(3)));
    EXPECT_EQ(r, 0);
    EXPECT_EQ(Seleciona(t, 0, Data(1, 1, 2007), Data(9, 3, 2007), &r), std::make_pair(size_t(0), size_t(1)));
    // Nothing starts: the current file alone.
    EXPECT_EQ(Seleciona(t, 0, Data(1, 4, 2007), Data(2, 4, 2007), &r), std::make_pair(size_t(4), size_t(1)));
    // The end never reached: through the current file.
    EXPECT_EQ(Seleciona(t, 0, Data(16, 3, 2007), Data(31, 12, 2089), &r), std::make_pair(size_t(3), size_t(2)));
}

TEST(SelecaoFita, CountersEndTestIsGreaterOrEqual)
{
    int r;
    auto t = Tabela();
    EXPECT_EQ(Seleciona(t, 2, 20, 30, &r), std::make_pair(size_t(1), size_t(2)));
    EXPECT_EQ(Seleciona(t, 2, 0, 5, &r), std::make_pair(size_t(0), size_t(1)));
    EXPECT_EQ(Seleciona(t, 2, 41, 50, &r), std::make_pair(size_t(4), size_t(1)));
    EXPECT_EQ(Seleciona(t, 1, 2, 2, &r), std::make_pair(size_t(1), size_t(1)));
    EXPECT_EQ(Seleciona(t, 1, 3, 9999, &r), std::make_pair(size_t(2), size_t(3)));
    EXPECT_EQ(r, 0);
}

TEST(SelecaoFita, CountersMustBeDigits)
{
    int r;
    auto t = Tabela();
    t[2].b[45] = 'x';
    Seleciona(t, 2, 0, 100, &r);
    EXPECT_EQ(r, 3);
    t = Tabela();
    t[0].b[41] = ' ';
    Seleciona(t, 0, Data(1, 1, 2007), Data(2, 1, 2007), &r);
    EXPECT_EQ(r, 3);
    // A bad entry after the walk stopped is never looked at.
    t = Tabela();
    t[3].b[38] = '?';
    EXPECT_EQ(Seleciona(t, 2, 0, 20, &r), std::make_pair(size_t(0), size_t(2)));
    EXPECT_EQ(r, 0);
}

TEST(LeituraMemoria, AddressText)
{
    uint8_t c[14];
    MontaLeituraMemoria(c, 0x11, 0x1FF80);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(c), 14), std::string("\x1B\x66\xFF\x11" "1ff801ffff"));
    MontaLeituraMemoria(c, 0x12, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(c), 14), std::string("\x1B\x66\xFF\x12" "000000007f"));
    MontaLeituraMemoria(c, 0x11, 0xFFF80);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(c + 4), 10), "fff80fffff");
}
