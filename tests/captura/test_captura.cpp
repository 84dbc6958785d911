// Storing the scanner capture: stored when the temporary directory lies on
// another file system, success told only once it is stored, every failure
// after the reading told with the capture kept and named, a temporary file
// that cannot be created told, stale temporary files of ended readings
// removed.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#if defined(__linux__)
#include <sched.h>
#include <sys/mount.h>
#endif

#include "common/compressor_captura.h"
#include "common/construtor_fd.h"
#include "common/util.h"
#include "platform/dialogo_captura.h"
#include "platform/plataforma.h"
#include "scanner/nucleo_captura.h"
#include "scanner/relatorios.h"

namespace {

std::string registro;
std::map<unsigned, bool> habilitado;
const SaidaCaptura kFace = {[](const char *t) { registro += t; },
                            [](const char *t) { registro = t; },
                            [](unsigned c, bool h) { habilitado[c] = h; }, [] {}};

const std::string kSucesso = "Leitura conclu\xED" "da com sucesso!\r\n";
const std::string kMantida = "Captura mantida em ";
const std::string kDir1252 = "Arquivos Bin\xE1rios/";

// A record stream with the identification "TV0123", and it compressed.
std::string Dados()
{
    ConstrutorFD f;
    f.IdentificacaoECF("TV0123456789", "TALVOR", "7720-QX3", "ECF-IF");
    for (int i = 0; i < 60; ++i)
        f.LinhaImpressa("LINHA " + std::to_string(i) + " DA REDUCAO Z");
    return f.Fluxo();
}
std::string Comprimida()
{
    return Comprime(Dados(), OpcoesCompressor());
}

bool MesmoDiretorio(const std::string &a, const std::string &b)
{
    return a.substr(0, a.rfind('/') + 1) == b.substr(0, b.rfind('/') + 1);
}

class Captura : public DiretorioTemporario {
protected:
    void SetUp() override
    {
        DiretorioTemporario::SetUp();
        registro.clear();
        habilitado.clear();
        IniciaNucleoCaptura();
        DefineSaidaCaptura(&kFace);
        DefineScannerConectado(true);
    }
    void TearDown() override
    {
        GanchoArquivosTeste = nullptr;
        TrataMensagemCaptura(MSG_DESTRUIDO, 0);
        DefineSaidaCaptura(nullptr);
        DefineScannerConectado(false);
        DiretorioTemporario::TearDown();
    }
    // A whole reading: start, the data in codes of 500 bytes, the closing code.
    void Le(const std::string &dados)
    {
        TrataMensagemCaptura(MSG_COMANDO, CONTROLE_INICIAR);
        unsigned n = 1;
        size_t i = 0;
        for (; dados.size() - i > 500; i += 500, ++n)
            Envia(CodigoDados(n, dados.substr(i, 500)));
        Envia(CodigoFinal(dados.substr(i), n));
    }
    void Envia(const std::string &codigo)
    {
        for (const std::string &r : RelatoriosDoCodigo(codigo))
            CapturaRelatorio(reinterpret_cast<const uint8_t *>(r.data()),
                             static_cast<uint32_t>(r.size()));
    }
    std::vector<std::string> Guardados() { return ListaDiretorio(DIR_BINARIOS); }
    // The one file stored, under a final name "TV0123_<stamp>.RZ".
    std::string Guardada()
    {
        std::vector<std::string> g = Guardados();
        EXPECT_EQ(g.size(), 1u);
        EXPECT_TRUE(g.size() == 1 && g[0].size() == 25 && g[0].compare(0, 7, "TV0123_") == 0 &&
                    g[0].compare(22, 3, ".RZ") == 0);
        return g.size() == 1 ? LeArquivo(DIR_BINARIOS + g[0]) : "";
    }
    // The path the log names after "Captura mantida em ".
    std::string Mantida()
    {
        size_t p = registro.rfind(kMantida);
        std::string c = p == std::string::npos ? "" : registro.substr(p + kMantida.size());
        c = c.substr(0, c.size() >= 2 ? c.size() - 2 : 0);
        return c.compare(0, kDir1252.size(), kDir1252) == 0 ? DIR_BINARIOS + c.substr(kDir1252.size())
                                                            : c;
    }
};

#if defined(__linux__)
// A tmpfs of its own, in a mount namespace of this process only.
bool MontaTmpfs(const std::string &dir)
{
    return unshare(CLONE_NEWNS) == 0 &&
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=16m") == 0;
}
#endif

TEST_F(Captura, StoredWhenTheTemporaryDirectoryIsOnAnotherFileSystem)
{
    ASSERT_EQ(CriaDiretorio("tmp"), 0);
    char cwd[1024];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::string tmp = std::string(cwd) + "/tmp";
    for (const char *v : {"TMPDIR", "TMP", "TEMP"})
        DefineVariavel(v, tmp.c_str());
    bool montado = false;
#if defined(__linux__)
    montado = MontaTmpfs(tmp);
#endif
    if (montado) {
        struct stat a {}, b {};
        ASSERT_EQ(stat(".", &a), 0);
        ASSERT_EQ(stat(tmp.c_str(), &b), 0);
        EXPECT_NE(a.st_dev, b.st_dev);
    } else {
        // No mount allowed here: renames between directories fail as they
        // would between file systems.
        GanchoArquivosTeste = [](int op, const char *de, const char *para, uint64_t) {
            return op == ARQ_RENOMEIA && !MesmoDiretorio(de, para) ? FALHA_OUTRO_DISPOSITIVO : 0;
        };
    }
    RecordProperty("tmpfs", montado ? "montado" : "EXDEV simulado");
    Le(Comprimida());
    EXPECT_EQ(registro.substr(registro.size() - kSucesso.size()), kSucesso);
    ASSERT_TRUE(GravaComAssinatura("esperada.bin", Dados()));
    EXPECT_EQ(Guardada(), LeArquivo("esperada.bin"));   // expanded and signed
    EXPECT_TRUE(ListaDiretorio(tmp).empty());
#if defined(__linux__)
    if (montado)
        umount2(tmp.c_str(), MNT_DETACH);
#endif
    for (const char *v : {"TMPDIR", "TMP", "TEMP"})
        DefineVariavel(v, nullptr);
}

TEST_F(Captura, SuccessIsLoggedOnlyOnceStored)
{
    static int renomeacoes;
    renomeacoes = 0;
    GanchoArquivosTeste = [](int op, const char *, const char *para, uint64_t) {
        std::string p = para != nullptr ? para : "";
        if (op == ARQ_RENOMEIA && p.size() > 3 && p.substr(p.size() - 3) == ".RZ") {
            ++renomeacoes;
            EXPECT_EQ(registro.find(kSucesso), std::string::npos);
        }
        return 0;
    };
    Le(Dados());
    EXPECT_EQ(renomeacoes, 1);
    EXPECT_EQ(registro.substr(registro.size() - kSucesso.size()), kSucesso);
    EXPECT_EQ(Guardada(), Dados());
    EXPECT_TRUE(habilitado[CONTROLE_INICIAR]);
}

// What fails after the reading, and what the kept file then holds.
bool g_expandida;
int FalhaGravacao(int op, const char *caminho, const char *, uint64_t)
{
    return op == ARQ_ESCREVE && std::string(caminho).find("~RZ.") != std::string::npos;
}
int FalhaAssinatura(int op, const char *, const char *, uint64_t)
{
    g_expandida = g_expandida || op == ARQ_RENOMEIA;   // the expansion took the capture's place
    return op == ARQ_ESCREVE && g_expandida ? FALHA_ARQUIVO : 0;
}
int FalhaMover(int op, const char *, const char *para, uint64_t)
{
    std::string p = para != nullptr ? para : "";
    return op == ARQ_RENOMEIA && p.size() > 3 && p.substr(p.size() - 3) == ".RZ";
}

TEST_F(Captura, EachFailureAfterTheReadingIsLoggedWithTheCaptureKept)
{
    const std::string invalida = std::string("\xDB\x99\x04\xF5\xE8\x00\x00", 7);
    const struct {
        std::string entrada;
        GanchoArquivos gancho;
        std::string erro, mantido;
    } casos[] = {
        {Dados(), FalhaGravacao, "Erro na grava\xE7\xE3o da captura. ", ""},
        {invalida, nullptr, "Erro na expans\xE3o da captura. ", invalida},
        {Comprimida(), FalhaAssinatura, "Erro na assinatura da captura. ", Dados()},
        {Dados(), FalhaMover, "Erro ao mover a captura. ", Dados()},
    };
    for (const auto &c : casos) {
        for (const std::string &n : Guardados())
            RemoveArquivo((DIR_BINARIOS + n).c_str());
        registro.clear();
        g_expandida = false;
        GanchoArquivosTeste = c.gancho;
        Le(c.entrada);
        GanchoArquivosTeste = nullptr;
        EXPECT_EQ(registro.find(kSucesso), std::string::npos) << c.erro;
        size_t linha = registro.rfind("\r\n", registro.size() - 3) + 2;
        EXPECT_EQ(registro.substr(linha, c.erro.size() + kMantida.size()), c.erro + kMantida);
        std::string mantida = Mantida();
        EXPECT_EQ(mantida.substr(0, std::string(DIR_BINARIOS).size() + 3),
                  std::string(DIR_BINARIOS) + "RZ_");
        EXPECT_EQ(LeArquivo(mantida), c.mantido) << c.erro;
        // Nothing else: no temporary file, no final name.
        EXPECT_EQ(Guardados().size(), 1u) << c.erro;
        TrataMensagemCaptura(MSG_DESTRUIDO, 0);
        EXPECT_TRUE(ExisteArquivo(mantida)) << c.erro;
    }
}

TEST_F(Captura, FailedTemporaryFileCreationIsLogged)
{
    const std::string erro = "Erro: o arquivo tempor\xE1rio da leitura n\xE3o p\xF4" "de ser criado em " +
                             kDir1252 + "\r\n";
    // The directory cannot be made (a file of its name), or the file not created.
    std::string dir = DIR_BINARIOS;
    GravaArquivo(dir.substr(0, dir.size() - 1), "");
    for (int caso = 0; caso < 2; ++caso) {
        registro.clear();
        habilitado.clear();
        TrataMensagemCaptura(MSG_COMANDO, CONTROLE_INICIAR);
        EXPECT_EQ(registro, erro) << caso;
        EXPECT_EQ(habilitado.count(CONTROLE_INICIAR), 0u);   // the start stays as it was
        Envia(CodigoDados(1, "abc"));
        EXPECT_EQ(registro, erro);   // no reading runs
        RemoveArquivo(dir.substr(0, dir.size() - 1).c_str());
        GanchoArquivosTeste = [](int op, const char *, const char *, uint64_t) {
            return op == ARQ_CRIA ? FALHA_ARQUIVO : 0;
        };
    }
}

TEST_F(Captura, StaleTemporaryFilesOfEndedReadingsAreRemovedAtStart)
{
    ASSERT_EQ(CriaDiretorio(DIR_BINARIOS), 0);
    const std::string d = DIR_BINARIOS;
    const std::string morto = d + "~RZ.2000000000.parcial";
    const std::vector<std::string> ficam = {
        d + "RZ_20070315_142501.captura",                       // a capture kept
        d + "~TV0123_20070315_142501.MFD.2000000000.parcial",   // another kind
#if !defined(_WIN32)
        d + "~RZ." + std::to_string(getppid()) + ".parcial",     // a process that runs
#endif
    };
    GravaArquivo(morto, "x");
    for (const std::string &f : ficam)
        GravaArquivo(f, "x");
    TrataMensagemCaptura(MSG_COMANDO, CONTROLE_INICIAR);
    EXPECT_FALSE(ExisteArquivo(morto));
    for (const std::string &f : ficam)
        EXPECT_TRUE(ExisteArquivo(f)) << f;
    // The reading's own file is there meanwhile, and goes with the dialog.
    std::string proprio = TemporarioCaptura();
    EXPECT_TRUE(ExisteArquivo(proprio));
    TrataMensagemCaptura(MSG_DESTRUIDO, 0);
    EXPECT_FALSE(ExisteArquivo(proprio));
}

}  // namespace
