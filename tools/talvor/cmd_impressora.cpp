// The printer subcommands of talvor: open the printer (--porta, --modelo),
// run one export, show a progress bar on a terminal while a memory is
// downloaded, and close the connection.
#include <cstdio>
#include <cstring>
#include <string>

#include <sys/stat.h>

#if defined(_WIN32)
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

#include "comandos.h"
#include "link/comando.h"
#include "platform/plataforma.h"
#include "talvor/ecf.h"

namespace {

const Significado kSignificadosOpen[] = {
    {0, "conectado"},
    {1, "a porta não pôde ser aberta"},
    {2, "o enlace com a impressora não foi estabelecido"},
    {3, "já conectado, ou a autenticação com a impressora falhou"},
    {4, "modelo não aceito"},
    {5, "sem memória"},
};

// The meaning of an operation's result, as the export documents it.
const char *SignificadoOperacao(const char *exportacao, int r)
{
    bool download = std::strcmp(exportacao, "DownloadMemorias") == 0;
    switch (r) {
    case 0: return "concluído";
    case 3:
        if (download || std::strcmp(exportacao, "LeBinarioMF") == 0)
            return "falha no download (comunicação, leitura de bloco ou gravação do arquivo)";
        if (std::strcmp(exportacao, "LeSoftwareBasico") == 0)
            return "a identificação ou a leitura de um bloco falhou";
        return "a impressora não concluiu o comando, ou a comunicação falhou";
    case 5:
        if (download)
            return "início depois do fim, ou o arquivo da fita detalhe não pôde ser criado";
        return "o arquivo de saída não pôde ser criado (o diretório existe?)";
    case 7: return "tipo ou parâmetro inválido";
    case 96: return "data com caractere inválido";
    case 103: return "data inexistente";
    default: return "falha";
    }
}

int LarguraAnterior = -1;

void DesenhaProgresso(uint32_t feitos, uint32_t total, void *)
{
    if (total == 0)
        return;
    const int largura = 40;
    int cheio = static_cast<int>(static_cast<uint64_t>(feitos) * largura / total);
    int porcento = static_cast<int>(static_cast<uint64_t>(feitos) * 100 / total);
    if (porcento == LarguraAnterior && feitos != total)
        return;
    LarguraAnterior = porcento;
    char barra[largura + 1];
    for (int i = 0; i < largura; ++i)
        barra[i] = i < cheio ? '#' : '.';
    barra[largura] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%% %u/%u", barra, porcento, feitos, total);
    if (feitos == total)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

// The arguments of a printer subcommand: --porta and --modelo (COM1 and
// 7720-QX3 unless given) and the positional arguments.
constexpr unsigned MAX_POSICIONAIS = 4;
struct Argumentos {
    const Subcomando *s = nullptr;
    const char *porta = "COM1";
    const char *modelo = "7720-QX3";
    const char *p[MAX_POSICIONAIS] = {};
    unsigned n = 0;
    size_t size() const { return n; }
    bool empty() const { return n == 0; }
    const char *operator[](unsigned i) const { return p[i]; }
    // The i-th positional argument, "" when there are fewer.
    const char *Ou(unsigned i) const { return i < n ? p[i] : ""; }
};

// false with *erro set (usage printed) when an option is unknown or lacks
// its value.
bool LeArgumentos(const char *nome, int argc, char **argv, Argumentos *a, int *erro)
{
    a->s = &Comando(nome);
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--porta") == 0 || std::strcmp(argv[i], "--modelo") == 0) {
            if (i + 1 >= argc) {
                *erro = ErroDeUso(*a->s, "falta o valor de --porta ou --modelo");
                return false;
            }
            (argv[i][2] == 'p' ? a->porta : a->modelo) = argv[i + 1];
            ++i;
            const char *p = a->porta;
            if (std::strncmp(p, "COM", 3) != 0 || p[3] < '0' || p[3] > '9' || p[4] != '\0') {
                *erro = ErroDeUso(*a->s, "--porta deve ser COM0 a COM9");
                return false;
            }
        } else if (std::strncmp(argv[i], "--", 2) == 0) {
            *erro = ErroDeUso(*a->s, "opção desconhecida");
            return false;
        } else if (a->n == MAX_POSICIONAIS) {
            *erro = ErroDeUso(*a->s, "argumentos demais");
            return false;
        } else {
            a->p[a->n++] = argv[i];
        }
    }
    return true;
}

// The library writes its downloads into a folder of the working directory
// that must already exist; without it the download would run only to fail
// with a communication result.  Checked before the printer is opened: false,
// with one line on stderr, when the folder is missing.
bool PastaExiste(const char *subcomando, const char *pasta)
{
    std::string nome(pasta);
    nome.pop_back();  // the trailing "/"
    struct stat st;
    if (stat(nome.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR)
        return true;
    std::fprintf(stderr, "talvor %s: a pasta \"%s\" não existe no diretório atual; crie-a antes "
                 "(mkdir \"%s\")\n", subcomando, pasta, nome.c_str());
    return false;
}

// Opens the printer, runs the operation, closes; the exit status.
template <typename F>
int ComImpressora(const Argumentos &a, const char *exportacao, bool progresso, F operacao)
{
    int r = Open(a.porta, a.modelo);
    if (r != 0) {
        InformaResultado("Open", r, Significa(kSignificadosOpen, r));
        Close();
        return 1;
    }
    if (progresso && isatty(fileno(stderr)))
        ProgressoDownload = DesenhaProgresso;
    r = operacao();
    if (LarguraAnterior >= 0 && LarguraAnterior < 100)
        std::fputc('\n', stderr);
    ProgressoDownload = nullptr;
    Close();
    return InformaResultado(exportacao, r, SignificadoOperacao(exportacao, r));
}

// A printer subcommand: its arguments read, then checked by falta (the
// first fault, null when none); a download (pasta, the folder it writes
// into, not null) checks that folder and shows its progress; then the
// operation runs on the opened printer.
template <typename F>
int ExecutaImpressora(const char *nome, int argc, char **argv,
                      const char *(*falta)(const Argumentos &), const char *pasta,
                      const char *exportacao, F operacao)
{
    Argumentos a;
    int erro = 0;
    if (!LeArgumentos(nome, argc, argv, &a, &erro))
        return erro;
    if (const char *f = falta(a))
        return ErroDeUso(*a.s, f);
    if (pasta != nullptr && !PastaExiste(nome, pasta))
        return 1;
    return ComImpressora(a, exportacao, pasta != nullptr, [&] { return operacao(a); });
}

const char *SemArgumentos(const Argumentos &p)
{
    return p.empty() ? nullptr : "argumentos demais";
}

const char *FaltaDownload(const Argumentos &p)
{
    if (p.size() != 2 && p.size() != 4)
        return "informe tipo e parametro, e inicio e fim salvo para o parametro 3";
    if (!UmEntre(p[0], '0', '2'))
        return "tipo deve ser 0 (memória fiscal), 1 (fita detalhe) ou 2 (ambas)";
    if (!UmEntre(p[1], '0', '3'))
        return "parametro deve ser 0 (datas), 1 (16 bits), 2 (32 bits) ou 3 (tudo)";
    if (p.size() == 2 && p[1][0] != '3')
        return "os parametros 0, 1 e 2 pedem inicio e fim";
    if (p.size() == 4 && p[1][0] == '3')
        return "o parametro 3 não leva inicio e fim";
    if (p.size() == 4 && p[1][0] == '0' && (!SoDigitos(p[2], 8, 8) || !SoDigitos(p[3], 8, 8)))
        return "inicio e fim do parametro 0 são datas DDMMAAAA (8 dígitos)";
    if (p.size() == 4 && p[1][0] != '0' && (!SoDigitos(p[2], 1, 10) || !SoDigitos(p[3], 1, 10)))
        return "inicio e fim dos parametros 1 e 2 são números";
    return nullptr;
}

const char *FaltaLeituraMemoriaFiscal(const Argumentos &p)
{
    if (p.size() != 3)
        return "informe tipo, inicio e fim";
    char t = p[0][0];
    size_t largura = (t == 'C' || t == 'c') ? 4 : (t == 'D' || t == 'd') ? 8 : 0;
    if (std::strlen(p[0]) != 1 || largura == 0)
        return "tipo deve ser C, c (reduções) ou D, d (datas)";
    if (!SoDigitos(p[1], largura, largura) || !SoDigitos(p[2], largura, largura))
        return "inicio e fim têm 4 dígitos (C, c) ou 8 (D, d)";
    return nullptr;
}

const char *FaltaFitaDetalhe(const Argumentos &p)
{
    if (p.empty() || !UmEntre(p[0], '0', '2'))
        return "tipo deve ser 0 (tudo), 1 (COO) ou 2 (datas)";
    size_t largura = p[0][0] == '1' ? 6 : p[0][0] == '2' ? 8 : 0;
    if (largura == 0 && p.size() != 1)
        return "o tipo 0 não leva inicio e fim";
    if (largura != 0 && (p.size() != 3 || !SoDigitos(p[1], largura, largura) ||
                         !SoDigitos(p[2], largura, largura)))
        return "inicio e fim têm 6 dígitos (tipo 1) ou 8 (tipo 2)";
    return nullptr;
}

}  // namespace

int CmdLeBinarioMF(int argc, char **argv)
{
    return ExecutaImpressora("le-binario-mf", argc, argv, SemArgumentos, "Arquivos MF/",
                             "LeBinarioMF", [](const Argumentos &) { return LeBinarioMF(); });
}

int CmdLeSoftwareBasico(int argc, char **argv)
{
    return ExecutaImpressora("le-software-basico", argc, argv, SemArgumentos, "Arquivos SB/",
                             "LeSoftwareBasico", [](const Argumentos &) { return LeSoftwareBasico(); });
}

int CmdDownloadMemorias(int argc, char **argv)
{
    return ExecutaImpressora("download-memorias", argc, argv, FaltaDownload, DIR_BINARIOS,
                             "DownloadMemorias", [](const Argumentos &p) {
                                 return DownloadMemorias(p[0], p[1], p.Ou(2), p.Ou(3));
                             });
}

int CmdImprimeLeituraX(int argc, char **argv)
{
    return ExecutaImpressora("imprime-leitura-x", argc, argv, SemArgumentos, nullptr,
                             "ImprimeLeituraX", [](const Argumentos &) { return ImprimeLeituraX(); });
}

int CmdImprimeLeituraMemoriaFiscal(int argc, char **argv)
{
    return ExecutaImpressora("imprime-leitura-memoria-fiscal", argc, argv, FaltaLeituraMemoriaFiscal,
                             nullptr, "ImprimeLeituraMemoriaFiscal", [](const Argumentos &p) {
                                 return ImprimeLeituraMemoriaFiscal(p[0], p[1], p[2]);
                             });
}

int CmdImprimeFitaDetalhe(int argc, char **argv)
{
    return ExecutaImpressora("imprime-fita-detalhe", argc, argv, FaltaFitaDetalhe, nullptr,
                             "ImprimeFitaDetalhe", [](const Argumentos &p) {
                                 return ImprimeFitaDetalhe(p[0], p.Ou(1), p.Ou(2));
                             });
}
