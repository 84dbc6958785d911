// The library inside a host process: converters on three threads at once
// give what they give one at a time; a host taking a SIGALRM every
// millisecond downloads a byte-identical fiscal memory; children forked
// before and during a download exit without disturbing it, and a call made
// from inside it fails at once; unloading the shared library with the USB
// channel open ends the channel's thread.
#if !defined(_WIN32)

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "common/backend_hid_falso.h"
#include "common/simulador.h"
#include "common/util.h"
#include "files/assinatura.h"
#include "link/comando.h"
#include "link/hid.h"
#include "platform/plataforma.h"
#include "talvor/ecf.h"

namespace {

const std::string kAmostra = "amostra/";

class Processo : public DiretorioTemporario {
protected:
    void SetUp() override
    {
        DiretorioTemporario::SetUp();
        CriaDiretoriosSaida();
        ASSERT_EQ(Executa(std::string("'") + TALVOR_AMOSTRA_PATH + "' --dias 30 --saida " + kAmostra +
                          " >/dev/null"),
                  0);
    }
    Simulador sim_;
};

// The 29-byte download record of an identification, range "everything".
std::string Registro(const std::string &id20)
{
    return id20 + '\x03' + std::string(8, ' ');
}

// What a file holds before its signature line, which must verify.
std::string Assinado(const std::string &caminho)
{
    const std::string c = LeArquivo(caminho);
    FILE *f = std::fopen(caminho.c_str(), "rb");
    EXPECT_TRUE(f != nullptr && VerificaAssinaturaFinal(f, c.size()) == 0) << caminho;
    if (f != nullptr)
        std::fclose(f);
    return c.substr(0, c.size() < 259 ? 0 : c.size() - 259);
}

std::string Unico(const std::string &dir)
{
    const std::vector<std::string> n = ListaDiretorio(dir);
    EXPECT_EQ(n.size(), 1u) << dir;
    return n.size() == 1 ? dir + n[0] : std::string();
}

// Call i: a converter chosen by i, on inputs of their own identification.
int Converte(int i)
{
    const std::string mf = "../" + std::to_string(i) + ".MF", mfd = "../" + std::to_string(i) + ".MFD";
    switch (i % 3) {
    case 0: return GeraEspelhos(mfd.c_str(), "2", "", "");
    case 1: return GeraEspelhoLMF(mf.c_str(), "0", "1", "0001", "9999");
    default: return GeraRegistrosTipoE(mf.c_str(), mfd.c_str(), "2");
    }
}

TEST_F(Processo, ConvertersOnThreeThreadsGiveWhatTheyGiveOneAtATime)
{
    std::vector<std::string> nomes = ListaDiretorio(kAmostra + "fita");
    std::sort(nomes.begin(), nomes.end());   // the closed files, by date
    std::string fita;
    for (const std::string &n : nomes)
        if (n.find(".MFD") != std::string::npos)
            fita += LeArquivo(kAmostra + "fita/" + n);
    fita += LeArquivo(kAmostra + "fita/File_Current");
    for (int i = 0; i < 9; ++i) {
        const std::string id = "C" + std::to_string(i) + std::string(18, 'X');
        const std::string mf = std::to_string(i) + ".MF", mfd = std::to_string(i) + ".MFD";
        GravaArquivo(mf, LeArquivo(kAmostra + "mf.bin") + Registro(id));
        GravaArquivo(mfd, Registro(id) + fita);
        ASSERT_EQ(AppendSignatureLine(mf.c_str()) | AppendSignatureLine(mfd.c_str()), 0);
    }
    std::map<std::string, std::string> saidas[2];   // by name without the time stamp
    for (int rodada = 0; rodada < 2; ++rodada) {
        const std::string dir = rodada == 0 ? "um" : "tres";
        ASSERT_EQ(mkdir(dir.c_str(), 0755) | chdir(dir.c_str()), 0);
        CriaDiretoriosSaida();
        int r[9];
        std::vector<std::thread> linhas;
        for (int t = 0; t < 3; ++t) {
            auto tres = [t, &r] {
                for (int i = 3 * t; i < 3 * t + 3; ++i)
                    r[i] = Converte(i);
            };
            if (rodada == 0)
                tres();
            else
                linhas.emplace_back(tres);
        }
        for (std::thread &l : linhas)
            l.join();
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(r[i], 0) << dir << " " << i;
        for (const char *d : kDiretoriosSaida)
            for (std::string n : ListaDiretorio(d))
                saidas[rodada][d + std::string(n).erase(n.size() - 20, 16)] = Assinado(d + n);
        ASSERT_EQ(chdir(".."), 0);
    }
    ASSERT_EQ(saidas[0].size(), 9u);
    ASSERT_EQ(saidas[1].size(), 9u);
    // Only digits may differ: the time of the run stands in the mirrors'
    // headers and in the type-E file.
    for (const auto &s : saidas[0]) {
        const std::string &a = s.second, &b = saidas[1][s.first];
        bool iguais = a.size() == b.size();
        for (size_t i = 0; iguais && i < a.size(); ++i)
            iguais = a[i] == b[i] || (std::isdigit(static_cast<unsigned char>(a[i])) &&
                                      std::isdigit(static_cast<unsigned char>(b[i])));
        EXPECT_TRUE(iguais) << s.first;
    }
}

TEST_F(Processo, HostTakingASignalEveryMillisecondDownloadsTheWholeMemory)
{
    ASSERT_TRUE(sim_.Inicia({"--mf", kAmostra + "mf.bin"}));
    std::string saida;
    EXPECT_EQ(Executa(std::string("'") + TALVOR_HOSPEDEIRO_SINAIS_PATH + "' '" + TALVOR_SHARED_LIB_PATH +
                          "' COM1 7720-QX3",
                      &saida),
              0)
        << saida;
    long sinais = 0;
    EXPECT_EQ(std::sscanf(saida.c_str(), "%*d %*d %*d %ld", &sinais), 1) << saida;
    EXPECT_GT(sinais, 0);
    EXPECT_TRUE(Assinado(Unico("Arquivos MF/")) ==
                LeArquivo(kAmostra + "mf.bin") + Registro("TV0123SIM78901234567"));
}

// A child forked now exits at once, through every static destructor and
// the library's own; its wait status.
int ForkaQueSai()
{
    pid_t filho = fork();
    if (filho == 0)
        std::exit(0);
    int estado = -1;
    waitpid(filho, &estado, 0);
    return estado;
}

// Halfway through the download: a fork, and a call from inside the call,
// which fails at once instead of waiting for itself.
int estadoNoMeio = -1, reentrante = -1;
void ForkaNoMeio(uint32_t feitos, uint32_t total, void *)
{
    if (feitos == total / 2) {
        estadoNoMeio = ForkaQueSai();
        reentrante = ImprimeLeituraX();
    }
}

// The fake HID backend, but a signal to the reader from another process (a
// child closing the channel it inherited, which with the system's backend
// would stop the parent's reader) is written to a pipe.
int tuboAlheio[2];
pid_t pai;
BackendHid tabelaVigiada;
void SinalizaVigiado(SistemaHid *s, EventoHid e)
{
    if (getpid() != pai)
        (void)!write(tuboAlheio[1], "x", 1);
    else
        backendFalsoAtual->Tabela()->Sinaliza(s, e);
}

TEST_F(Processo, ChildrenForkedAroundADownloadExitWithoutTouchingIt)
{
    BackendFalso falso;
    ASSERT_EQ(pipe2(tuboAlheio, O_CLOEXEC), 0);   // not left open in the emulator
    pai = getpid();
    tabelaVigiada = *falso.Tabela();
    tabelaVigiada.Sinaliza = SinalizaVigiado;
    HidDefineBackend(&tabelaVigiada);
    falso.Acrescenta(0xFF45, 0x3800, 64, 64, 2046);
    ASSERT_EQ(HidOpen(), 0);   // its reader thread runs in the parent only
    falso.AguardaOcioso();
    ASSERT_TRUE(sim_.Inicia({"--sb", kAmostra + "sb.bin"}));
    ASSERT_EQ(Open("COM1", "7720-QX3"), 0);
    EXPECT_EQ(ForkaQueSai(), 0);   // between two calls
    ProgressoDownload = ForkaNoMeio;
    EXPECT_EQ(LeSoftwareBasico(), 0);
    ProgressoDownload = nullptr;
    Close();
    HidClose();
    HidDefineBackend(nullptr);
    EXPECT_EQ(estadoNoMeio, 0);
    EXPECT_EQ(reentrante, 3);
    close(tuboAlheio[1]);
    char c;
    EXPECT_EQ(read(tuboAlheio[0], &c, 1), 0);
    close(tuboAlheio[0]);
    EXPECT_TRUE(Assinado(Unico("Arquivos SB/")) == LeArquivo(kAmostra + "sb.bin"));
}

TEST(Descarregamento, UnloadingWithTheUsbChannelOpenEndsItsThread)
{
    const size_t linhas = ListaDiretorio("/proc/self/task").size();
    void *b = dlopen(TALVOR_HID_FALSO_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(b, nullptr) << dlerror();
    auto abre = reinterpret_cast<int (*)()>(dlsym(b, "AbreCanalHidFalso"));
    ASSERT_TRUE(abre != nullptr && abre() == 0);
    EXPECT_EQ(ListaDiretorio("/proc/self/task").size(), linhas + 1);
    ASSERT_EQ(dlclose(b), 0);
    EXPECT_EQ(dlopen(TALVOR_HID_FALSO_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr);   // unmapped
    EXPECT_EQ(ListaDiretorio("/proc/self/task").size(), linhas);
}

}  // namespace

#endif
