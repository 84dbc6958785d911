// The sample served by talvor-sim over a pseudo-terminal, from the files
// talvor-amostra writes and by default: the library's downloads give back
// the served memories and, for a range of dates, exactly the detail-tape
// files that cover it; the converters accept what was downloaded.  Built where the emulator and its test helper exist.
#if !defined(_WIN32) && defined(TALVOR_SIM_PATH) && __has_include("common/simulador.h")

#include "amostra/amostra.h"
#include "common/simulador.h"
#include "common/util.h"
#include "platform/plataforma.h"
#include "talvor/ecf.h"

namespace {

// DDMMAAAA as AAAAMMDD, to compare dates as texts.
std::string Ordenavel(const std::string &ddmmaaaa)
{
    return ddmmaaaa.substr(4, 4) + ddmmaaaa.substr(2, 2) + ddmmaaaa.substr(0, 2);
}

std::string Unico(const std::string &dir)
{
    std::vector<std::string> nomes = ListaDiretorio(dir);
    EXPECT_EQ(1u, nomes.size()) << dir;
    return nomes.empty() ? std::string() : dir + nomes[0];
}

class AmostraNoSimulador : public DiretorioTemporario {};

TEST_F(AmostraNoSimulador, DownloadsDevolvemAAmostra)
{
    CriaDiretoriosSaida();
    ASSERT_EQ(0, GeraAmostraTeste("--saida a"));
    Simulador sim;
    ASSERT_TRUE(sim.Inicia({"--mf", "a/mf.bin", "--sb", "a/sb.bin", "--fita", "a/fita"}));
    ASSERT_EQ(0, Open("COM1", "7720-QX3"));
    EXPECT_EQ(0, LeBinarioMF());
    EXPECT_EQ(0, DownloadMemorias("1", "0", "01032025", "31032025"));
    Close();
    sim.Para();

    const std::string mf = Unico("Arquivos MF/");
    EXPECT_TRUE(LeArquivo(mf).substr(0, 1048576) == LeArquivo("a/mf.bin"));
    // From the first file of March to the first file after it, included.
    std::string esperado;
    bool dentro = false;
    for (const EntradaDiretorio &e : LeDiretorioFita("a/fita")) {
        const std::string d = Ordenavel(e.data);
        if (d >= "20250301")
            dentro = true;
        if (dentro)
            esperado += LeArquivo("a/fita/" + e.nome);
        if (d > "20250331")
            break;
    }
    const std::string mfd = Unico(DIR_BINARIOS);
    const std::string baixado = LeArquivo(mfd);
    ASSERT_GT(baixado.size(), 29u + 259u);
    EXPECT_TRUE(baixado.substr(29, baixado.size() - 29 - 259) == esperado);
    EXPECT_EQ(0, GeraEspelhos(mfd.c_str(), "0", "01032025", "31032025"));
    EXPECT_EQ(0, GeraRegistrosTipoE(mf.c_str(), mfd.c_str(), "2"));
}

// Started without images, the emulator serves the sample of the generator's
// default seed: the memories read back equal what talvor-amostra writes, and
// the detail tape of a few days is made of its files.
TEST_F(AmostraNoSimulador, SemImagensServeAAmostraPadrao)
{
    CriaDiretoriosSaida();
    ASSERT_EQ(0, GeraAmostraTeste("--saida a"));
    Simulador sim;
    ASSERT_TRUE(sim.Inicia({}));
    ASSERT_EQ(0, Open("COM1", "7720-QX3"));
    EXPECT_EQ(0, LeBinarioMF());
    EXPECT_EQ(0, LeSoftwareBasico());
    EXPECT_EQ(0, DownloadMemorias("1", "0", "10032025", "12032025"));
    Close();
    sim.Para();

    EXPECT_TRUE(LeArquivo(Unico("Arquivos MF/")).substr(0, 1048576) == LeArquivo("a/mf.bin"));
    EXPECT_TRUE(LeArquivo(Unico("Arquivos SB/")).substr(0, 524288) == LeArquivo("a/sb.bin"));
    std::string esperado;
    for (const EntradaDiretorio &e : LeDiretorioFita("a/fita")) {
        const std::string d = Ordenavel(e.data);
        if (d >= "20250310")
            esperado += LeArquivo("a/fita/" + e.nome);
        if (d > "20250312")
            break;
    }
    const std::string baixado = LeArquivo(Unico(DIR_BINARIOS));
    ASSERT_GT(esperado.size(), 0u);
    ASSERT_GT(baixado.size(), 29u + 259u);
    EXPECT_TRUE(baixado.substr(29, baixado.size() - 29 - 259) == esperado);
}

}  // namespace

#endif
