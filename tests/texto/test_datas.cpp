// Packed dates and times, their text forms, and the date parser.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "common/util.h"
#include "text/datas.h"

static uint16_t Data(unsigned ano, unsigned mes, unsigned dia)
{
    return static_cast<uint16_t>(((ano - 1990) << 9) | (mes << 5) | dia);
}

TEST(DataCompacta, PackUnpackAndOrder)
{
    const DataHora d{2005, 12, 31, 23, 59, 0, 1};
    EXPECT_EQ(EmpacotaData(d), Data(2005, 12, 31));
    EXPECT_EQ(EmpacotaHora(d), (1u << 15) | (23u << 7) | 59u);
    DataHora e{};
    DesempacotaData(Data(2089, 2, 28), &e);
    EXPECT_EQ(e.ano, 2089);
    EXPECT_EQ(e.mes, 2);
    EXPECT_EQ(e.dia, 28);
    DesempacotaHora(static_cast<uint16_t>((1u << 15) | (7u << 7) | 5u), &e);
    EXPECT_EQ(e.hora, 7);
    EXPECT_EQ(e.minuto, 5);
    EXPECT_EQ(e.verao, 1);
    EXPECT_LT(Data(2004, 12, 31), Data(2005, 1, 1));
}

TEST(DataCompacta, TextFormsWithOutOfRangeParts)
{
    char t[9] = {0};
    DataParaTexto(Data(2007, 3, 15), t);
    EXPECT_STREQ(t, "20070315");
    DataParaTexto(Data(2007, 13, 15), t);
    EXPECT_STREQ(t, "2007XX15");
    DataParaTexto(Data(2007, 0, 0), t);
    EXPECT_STREQ(t, "2007XXXX");
    DataParaTexto(static_cast<uint16_t>(100u << 9 | 1u << 5 | 1u), t);  // year 2090
    EXPECT_STREQ(t, "XXXX0101");
    char h[7] = {0};
    HoraParaTexto(static_cast<uint16_t>(14u << 7 | 25u), 1, h);
    EXPECT_STREQ(h, "142501");
    HoraParaTexto(static_cast<uint16_t>(24u << 7 | 60u), 60, h);
    EXPECT_STREQ(h, "XXXXXX");
    char a[9] = {0}, b[7] = {0};
    DataHoraParaTexto(Data(1990, 1, 1), a, 0, 0, b);
    EXPECT_STREQ(a, "19900101");
    EXPECT_STREQ(b, "000000");
}

TEST(FormataDataHora, Pictures)
{
    DataHora d{2005, 12, 31, 23, 59, 58, 1};
    char t[32];
    std::memset(t, '#', sizeof t);
    FormataDataHora(d, t, "dd/mm/yyyy hh:ii:ssv");
    EXPECT_EQ(std::string(t, 21), "31/12/2005 23:59:58V#");
    d.verao = 0;
    FormataDataHora(d, t, "DD/MM/YY");
    EXPECT_EQ(std::string(t, 8), "31/12/05");
    FormataDataHora(d, t, "dd/mm/yyyy hh:ii:ssv");
    EXPECT_EQ(std::string(t, 20), "31/12/2005 23:59:58 ");
}

TEST(LeDataTexto, LeapYearsBoundsAndBadCharacters)
{
    uint16_t d = 0;
    EXPECT_EQ(LeDataTexto("29022004", &d), 0);
    EXPECT_EQ(d, Data(2004, 2, 29));
    EXPECT_EQ(LeDataTexto("29022005", &d), 103);
    EXPECT_EQ(LeDataTexto("01011989", &d), 103);
    EXPECT_EQ(LeDataTexto("01012090", &d), 103);
    EXPECT_EQ(LeDataTexto("31122089", &d), 0);
    EXPECT_EQ(LeDataTexto("01011990", &d), 0);
    EXPECT_EQ(LeDataTexto("31042007", &d), 103);
    EXPECT_EQ(LeDataTexto("00012007", &d), 103);
    EXPECT_EQ(LeDataTexto("01132007", &d), 103);
    EXPECT_EQ(LeDataTexto("0101200O", &d), 96);
    EXPECT_EQ(LeDataTexto("  012007", &d), 96);   // an all-blank day
    EXPECT_EQ(LeDataTexto(" 1 12007", &d), 0);    // leading blanks inside each part
    EXPECT_EQ(LeDataTexto("0101200", &d), 96);    // shorter than the field
    EXPECT_EQ(LeDataTexto("", &d), 96);
    EXPECT_TRUE(AnoBissexto(2000));
    EXPECT_FALSE(AnoBissexto(1900));
    EXPECT_FALSE(AnoBissexto(2100));
    EXPECT_TRUE(AnoBissexto(2008));
    EXPECT_FALSE(AnoBissexto(2007));
}

// The Windows clock does not read TZ.
#if !defined(_WIN32)
TEST(DataHoraAtual, HonoursTheTimeZone)
{
    auto segundos = [](const DataHora &d) { return d.hora * 3600 + d.minuto * 60 + d.segundo; };
    FusoHorario tz("UTC0");
    DataHora antes{}, leste{}, depois{};
    DataHoraAtual(&antes);
    tz.Muda("XXX-5");   // five hours east of UTC
    DataHoraAtual(&leste);
    tz.Muda("UTC0");
    DataHoraAtual(&depois);
    // Five hours ahead of an instant between the two readings in UTC.
    EXPECT_LE((segundos(leste) - 5 * 3600 - segundos(antes) + 2 * 86400) % 86400,
              (segundos(depois) - segundos(antes) + 86400) % 86400);
    EXPECT_EQ(leste.verao, 0);
}
#endif
