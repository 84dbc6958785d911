// Output files as a host sees them: calls within one second leave one file
// each; a converter killed at any file operation leaves, under a final name,
// only files whose signature verifies and at most one temporary file, which
// the next call removes; a fiscal-memory file that shrinks while it is read
// is a failed read.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "common/construtor_fd.h"
#include "common/construtor_mf.h"
#include "common/relogio_nomes.h"
#include "common/util.h"
#include "files/assinatura.h"
#include "platform/plataforma.h"
#include "talvor/ecf.h"

namespace {

const std::string kEspelhos = "Arquivos TXT Espelho/";

// A detail-tape download of `cupons` receipts of 20 printed lines each.
void GravaFita(const std::string &caminho, unsigned cupons)
{
    const DataFD dia = {15, 3, 2007, 14, 25, 1};
    ConstrutorFD c;
    c.IdentificacaoECF("TV0123456789", "TALVOR", "7720-QX3", "ECF-IF")
        .Contribuinte(dia, "12.345.678/0001-90", "123.456.789.110", "", 2, 123456789, 1)
        .NumerosECF("001", "0002");
    for (unsigned i = 0; i < cupons; ++i) {
        c.InicioCupom(dia, 100 + i, 50 + i);
        for (int l = 0; l < 20; ++l)
            c.LinhaImpressa("ITEM " + std::to_string(l) + " DO CUPOM " + std::to_string(i) +
                            "  1,000 UN X 2,33                 2,33");
        c.FimDocumento(0xA1, dia);
    }
    ASSERT_TRUE(GravaComAssinatura(caminho, ParametrosFD("TV0123", 3) + c.Fluxo()));
}

// What a directory holds: final-named files (those whose signature does not
// verify listed apart) and temporary files.
struct Conteudo {
    std::vector<std::string> finais, invalidos, temporarios;
};
Conteudo Examina(const std::string &dir)
{
    Conteudo c;
    for (const std::string &n : ListaDiretorio(dir)) {
        if (n[0] == '~') {
            EXPECT_EQ(n.substr(n.size() - 8), ".parcial") << n;
            c.temporarios.push_back(n);
            continue;
        }
        c.finais.push_back(n);
        FILE *f = std::fopen((dir + n).c_str(), "rb");
        uint64_t tamanho = LeArquivo(dir + n).size();
        if (f == nullptr || VerificaAssinaturaFinal(f, tamanho) != 0)
            c.invalidos.push_back(n);
        if (f != nullptr)
            std::fclose(f);
    }
    return c;
}

class Saidas : public DiretorioTemporario {
protected:
    void TearDown() override
    {
        GanchoArquivosTeste = nullptr;
        DiretorioTemporario::TearDown();
    }
};

// Each call within the same second takes the next free second; a name
// another process takes right before the rename is left to it.
TEST_F(Saidas, FourMirrorsOfOneInputLeaveFourSignedFiles)
{
    CriaDiretoriosSaida();
    GravaFita("fita.MFD", 3);
    RelogioDeNomes relogio;
    auto nome = [&relogio](unsigned segundos) {
        return kEspelhos + "EMFDTV0123_" + relogio.Carimbo(segundos) + ".TXT";
    };
    std::vector<std::string> nomes;
    for (unsigned i = 0; i < 6; ++i)
        nomes.push_back(nome(i));
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(GeraEspelhos("fita.MFD", "2", "", ""), 0) << i;
    Conteudo c = Examina(kEspelhos);
    EXPECT_EQ(c.finais.size(), 4u);
    EXPECT_TRUE(c.invalidos.empty());
    EXPECT_TRUE(c.temporarios.empty());
    for (unsigned i = 0; i < 4; ++i)
        EXPECT_TRUE(ExisteArquivo(nomes[i])) << nomes[i];

    static std::string alheio;
    alheio = nomes[4];
    GanchoArquivosTeste = [](int op, const char *, const char *para, uint64_t) {
        if (op == ARQ_RENOMEIA && alheio == para && !ExisteArquivo(alheio))
            GravaArquivo(alheio, "de outro processo");
        return 0;
    };
    ASSERT_EQ(GeraEspelhos("fita.MFD", "2", "", ""), 0);
    EXPECT_EQ(LeArquivo(alheio), "de outro processo");
    c = Examina(kEspelhos);
    EXPECT_EQ(c.finais.size(), 6u);
    EXPECT_EQ(c.invalidos, std::vector<std::string>{alheio.substr(kEspelhos.size())});
    EXPECT_TRUE(ExisteArquivo(nomes[5]));

    // A clock that stands still: the names still move on, and no call hangs.
    static const RelogioTeste parado = {[](RelogioLocal *r) { *r = {2030, 1, 1, 0, 0, 0, 0}; },
                                        [] {}};
    RelogioNomesTeste = &parado;
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(GeraEspelhos("fita.MFD", "2", "", ""), 0) << i;
    for (const char *s : {"000000", "000001", "000002"})
        EXPECT_TRUE(ExisteArquivo(kEspelhos + "EMFDTV0123_20300101_" + s + ".TXT")) << s;
}

TEST_F(Saidas, FiscalMemoryThatShrinksWhileReadGivesOne)
{
    CriaDiretoriosSaida();
    const ConstrutorMF mf = MemoriaSimples(3, 20, 15);
    mf.Grava("mf.bin");
    ASSERT_EQ(GeraEspelhoLMF("mf.bin", "0", "1", "1", "3"), 0);
    // Cut once that much was read: after the first block, after the image,
    // after the record (long enough, but no longer what was being read).
    static uint64_t lido, corte;
    const uint64_t casos[][2] = {{65536, 65536}, {1048576, 1048576}, {1048576, 1048576 + 29}};
    for (const auto &c : casos) {
        lido = c[0];
        corte = c[1];
        mf.Grava("encolhe.bin");
        GanchoArquivosTeste = [](int op, const char *caminho, const char *, uint64_t n) {
            if (op == ARQ_LE && n == lido)
                TruncaArquivo(caminho, corte);
            return 0;
        };
        EXPECT_EQ(GeraEspelhoLMF("encolhe.bin", "0", "1", "1", "3"), 1) << corte;
        GanchoArquivosTeste = nullptr;
    }
    EXPECT_EQ(ListaDiretorio(kEspelhos).size(), 1u);
}

#if !defined(_WIN32)
// Counts the file operations, or ends the process at the chosen one.
unsigned g_operacoes, g_alvo;
int ContaOuMata(int, const char *, const char *, uint64_t)
{
    if (++g_operacoes == g_alvo)
        raise(SIGKILL);
    return 0;
}

TEST_F(Saidas, KilledConverterLeavesOnlyVerifiedFilesAndOneTemporary)
{
    CriaDiretoriosSaida();
    GravaFita("fita.MFD", 3000);   // a mirror of a few MB: many buffers
    RelogioDeNomes relogio;
    g_operacoes = 0;
    g_alvo = 0;
    GanchoArquivosTeste = ContaOuMata;
    ASSERT_EQ(GeraEspelhos("fita.MFD", "2", "", ""), 0);
    GanchoArquivosTeste = nullptr;
    const unsigned total = g_operacoes;
    ASSERT_GT(total, 8u);
    std::string esperado = LeArquivo(kEspelhos + Examina(kEspelhos).finais.at(0));
    ASSERT_GT(esperado.size(), 2000000u);

    // Every operation: creating, each buffer, the signature line, the
    // file's flush, the rename, the directory's flush.
    for (unsigned alvo = 1; alvo <= total; ++alvo) {
        pid_t filho = fork();
        ASSERT_GE(filho, 0);
        if (filho == 0) {
            g_operacoes = 0;
            g_alvo = alvo;
            GanchoArquivosTeste = ContaOuMata;
            GeraEspelhos("fita.MFD", "2", "", "");
            _exit(0);
        }
        int estado = 0;
        ASSERT_EQ(waitpid(filho, &estado, 0), filho);
        EXPECT_TRUE(WIFSIGNALED(estado) && WTERMSIG(estado) == SIGKILL) << alvo;
        Conteudo c = Examina(kEspelhos);
        EXPECT_TRUE(c.invalidos.empty()) << alvo;
        EXPECT_LE(c.temporarios.size(), 1u) << alvo;
        for (const std::string &n : c.finais)
            EXPECT_EQ(LeArquivo(kEspelhos + n), esperado) << n;
        // The next call of the same kind removes what the dead one left.
        relogio.Avanca();
        ASSERT_EQ(GeraEspelhos("fita.MFD", "2", "", ""), 0);
        c = Examina(kEspelhos);
        EXPECT_TRUE(c.temporarios.empty()) << alvo;
        EXPECT_TRUE(c.invalidos.empty()) << alvo;
    }
    // A temporary file of a process that still runs (or of another kind)
    // is never touched.
    const std::string vivo = kEspelhos + "~EMFDTV0123_20070315_142501.TXT." +
                             std::to_string(getppid()) + ".parcial";
    const std::string outro = kEspelhos + "~EMFTV0123_20070315_142501.TXT.2000000000.parcial";
    GravaArquivo(vivo, "x");
    GravaArquivo(outro, "x");
    ASSERT_EQ(GeraEspelhos("fita.MFD", "2", "", ""), 0);
    EXPECT_TRUE(ExisteArquivo(vivo));
    EXPECT_TRUE(ExisteArquivo(outro));
}
#endif

}  // namespace
