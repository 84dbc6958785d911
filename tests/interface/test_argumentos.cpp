// Every export's own argument checks and result precedence, without a
// printer: nothing is written where an argument is refused.
#include <gtest/gtest.h>

#include <cstdlib>

#include "common/util.h"
#include "talvor/ecf.h"

class Argumentos : public SemConexao {
protected:
    size_t ArquivosEscritos()
    {
        size_t n = 0;
        for (const char *d : kDiretoriosSaida)
            n += ListaDiretorio(d).size();
        return n;
    }
};

TEST_F(Argumentos, PrintExportsWithoutAPrinter)
{
    EXPECT_EQ(ImprimeLeituraX(), 3);
    EXPECT_EQ(ImprimeLeituraMemoriaFiscal("X", "0001", "0002"), 3);
    EXPECT_EQ(ImprimeLeituraMemoriaFiscal(nullptr, nullptr, nullptr), 3);
    EXPECT_EQ(ImprimeLeituraMemoriaFiscal("C", "0001", "0002"), 3);
    EXPECT_EQ(ImprimeFitaDetalhe("3", "", ""), 3);
    EXPECT_EQ(ImprimeFitaDetalhe("0", nullptr, nullptr), 3);
    EXPECT_EQ(LeBinarioMF(), 3);
    EXPECT_NE(LeSoftwareBasico(), 0);
    EXPECT_EQ(ArquivosEscritos(), 0u);
}

TEST_F(Argumentos, DownloadMemoriasParsesTheRangeFirst)
{
    const struct { const char *tipo, *parametro, *inicio, *fim; int r; } recusados[] = {
        {"0", "2", "1", "2", 7},
        {"2", "2", "1", "2", 7},
        {"9", "0", "01012007", "02012007", 7},
        {"1", "4", "1", "2", 7},
        {"9", "0", "32012007", "02012007", 103},
        {"9", "0", "0101200X", "02012007", 96},
        {"9", "0", "02012007", "01012007", 5},
        {"0", "1", "20", "10", 5},
        {"1", "2", "20", "10", 5},
        {nullptr, nullptr, nullptr, nullptr, 96},   // kind from the low bits
    };
    for (const auto &c : recusados)
        EXPECT_EQ(DownloadMemorias(c.tipo, c.parametro, c.inicio, c.fim), c.r) << "case " << &c - recusados;
    // Accepted arguments reach the printer, which is not there.
    EXPECT_EQ(DownloadMemorias("0", "3", "", ""), 3);
    EXPECT_NE(DownloadMemorias("1", "3", "", ""), 0);
    EXPECT_EQ(ArquivosEscritos(), 0u);
}

TEST_F(Argumentos, GeraEspelhosChecksInOrder)
{
    EXPECT_EQ(GeraEspelhos("x.MFD", "3", "01012007", "02012007"), 7);
    EXPECT_EQ(GeraEspelhos("x.MFD", nullptr, "01012007", "02012007"), 7);
    EXPECT_EQ(GeraEspelhos("semextensao", "0", "31022007", "02012007"), 103);
    EXPECT_EQ(GeraEspelhos("semextensao", "1", "20", "10"), 5);
    EXPECT_EQ(GeraEspelhos("semextensao", "0", "01012007", "02012007"), 3);
    EXPECT_EQ(GeraEspelhos("semextensao", "2", "", ""), 3);
    EXPECT_EQ(GeraEspelhos("nao-existe.MFD", "2", "", ""), 1);
    EXPECT_EQ(ArquivosEscritos(), 0u);
}

TEST_F(Argumentos, GeraRegistrosTipoEWithAnUnknownTipoDoesNothing)
{
    EXPECT_EQ(GeraRegistrosTipoE("a", "b", "7"), 0);
    EXPECT_EQ(GeraRegistrosTipoE("a", "b", ""), 0);
    EXPECT_EQ(GeraRegistrosTipoE(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GeraRegistrosTipoE("a", "nao-existe.RZ", "3"), 1);
    EXPECT_EQ(GeraRegistrosTipoE("nao-existe.MF", "b", "0"), 3);
    EXPECT_EQ(GeraRegistrosTipoE("a", "nao-existe.MFD", "1"), 3);
    EXPECT_EQ(ArquivosEscritos(), 0u);
}

TEST_F(Argumentos, GeraEspelhoLMFReturnsTheGeneratorsResult)
{
    int r = GeraEspelhoLMF("nao-existe.MF", "0", "0", "01012007", "02012007");
    EXPECT_NE(r, 0);
    EXPECT_EQ(LeituraRZ(), 0);
}
