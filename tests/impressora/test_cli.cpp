// The printer subcommands of the talvor tool against the emulator: exit
// statuses, the export's result line, and usage errors.
#if !defined(_WIN32)

#include "comum_impressora.h"
#include "platform/plataforma.h"

using Cli = ComImpressora;

TEST_F(Cli, PrintSubcommands)
{
    ASSERT_TRUE(sim_.Inicia({}));
    std::string saida;
    std::string t = std::string(TALVOR_CLI_PATH);
    EXPECT_EQ(Executa(t + " imprime-leitura-x --porta COM1 --modelo 7720-QX3", &saida), 0);
    EXPECT_EQ(saida, "ImprimeLeituraX: resultado 0 (conclu\xC3\xAD" "do)\n");
    EXPECT_EQ(Executa(t + " imprime-leitura-memoria-fiscal --porta COM1 D 01032007 31032007", &saida), 0);
    EXPECT_EQ(Executa(t + " imprime-fita-detalhe --modelo 7720-RP5 1 000100 000200", &saida), 0);
    std::vector<std::string> c = sim_.Comandos();
    ASSERT_FALSE(c.empty());
    EXPECT_EQ(c.back().substr(0, 11), "1B 66 CF 01");
    // Usage errors never touch the printer.
    size_t antes = c.size();
    EXPECT_EQ(Executa(t + " imprime-fita-detalhe 1 0001 0002 2>/dev/null", &saida), 2);
    EXPECT_EQ(Executa(t + " imprime-leitura-memoria-fiscal X 0001 0002 2>/dev/null", &saida), 2);
    EXPECT_EQ(Executa(t + " download-memorias 1 0 2>/dev/null", &saida), 2);
    EXPECT_EQ(Executa(t + " le-binario-mf --porta 2>/dev/null", &saida), 2);
    EXPECT_EQ(sim_.Comandos().size(), antes);
    // A model the library refuses.
    EXPECT_EQ(Executa(t + " imprime-leitura-x --modelo 7720", &saida), 1);
    EXPECT_EQ(saida.substr(0, 18), "Open: resultado 4 ");
}

TEST_F(Cli, DetailTapeDownload)
{
    ASSERT_TRUE(sim_.Inicia({}));
    std::string saida;
    std::string t = std::string(TALVOR_CLI_PATH);
    int esperado = AssinaturaDisponivel() ? 0 : 1;
    EXPECT_EQ(Executa(t + " download-memorias --porta COM1 --modelo 7720-QX3 1 0 10032025 12032025", &saida),
              esperado);
    EXPECT_EQ(saida.substr(0, 31), std::string("DownloadMemorias: resultado ") +
                                       (AssinaturaDisponivel() ? "0 (" : "5 ("));
    EXPECT_EQ(ListaDiretorio(DIR_BINARIOS).size(), 1u);
}

#endif
