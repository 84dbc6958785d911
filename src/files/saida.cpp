// The common write routine of downloads and text outputs: bytes gather in
// the writer's buffer, "\n" already made "\r\n" in text files, and go to the
// digest and the temporary file a buffer at a time.  A large output may have
// its digest computed by a second thread, one buffer behind the writer.  The
// endings put the file on the disk and give it its final name.
#include "files/saida.h"

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>

#include "files/assinatura.h"
#include "files/nomes.h"
#include "platform/plataforma.h"

namespace {

#if defined(_WIN32)
constexpr bool SEPARADOR_INVERTIDO = true;   // "\\" separates directories too
#else
constexpr bool SEPARADOR_INVERTIDO = false;
#endif

// The digest thread: it takes one buffer at a time from the writer.
constexpr size_t TAMANHO_PAR = 256 * 1024;
// The condition is never destroyed: a process, or the child of a fork, that
// exits while the thread waits on it would hang in its destructor.
alignas(std::condition_variable) unsigned char memoriaSinal[sizeof(std::condition_variable)];
struct {
    std::mutex trava;
    std::condition_variable &sinal = *new (memoriaSinal) std::condition_variable;
    LinhaExecucao linha;
    bool ativa;             // a thread runs (one paralelo file is open)
    Md5Contexto *md5;
    const uint8_t *dados;   // the buffer handed over, while ocupado
    size_t n;
    bool ocupado;
    bool fim;
    uint8_t par[2][TAMANHO_PAR];
} D;

void RotinaDigesto()
{
    std::unique_lock<std::mutex> t(D.trava);
    for (;;) {
        D.sinal.wait(t, [] { return D.ocupado || D.fim; });
        if (!D.ocupado)
            return;
        t.unlock();
        Md5Update(D.md5, D.dados, D.n);
        t.lock();
        D.ocupado = false;
        D.sinal.notify_all();
    }
}

// Waits until the thread has finished the buffer it was handed.
void AguardaDigesto()
{
    std::unique_lock<std::mutex> t(D.trava);
    D.sinal.wait(t, [] { return !D.ocupado; });
}

// The digest is complete and the thread ends.
void EncerraDigesto(ArquivoSaida *s)
{
    if (!s->paralelo)
        return;
    AguardaDigesto();
    {
        std::lock_guard<std::mutex> t(D.trava);
        D.fim = true;
    }
    D.sinal.notify_all();
    AguardaLinha(&D.linha);
    D.ativa = false;
    s->paralelo = false;
    s->atual = nullptr;
    s->capacidade = TAMANHO_BUFFER_SAIDA;
}

// One buffer to the file.
void Grava(ArquivoSaida *s, const uint8_t *p, size_t n)
{
    if (GanchoArquivo(ARQ_ESCREVE, s->temporario, nullptr, s->escritos) != 0 ||
        std::fwrite(p, 1, n, s->arquivo) != n)
        s->erro = true;
    s->escritos += n;
}

void Esvazia(ArquivoSaida *s)
{
    if (s->usado == 0)
        return;
    if (!s->paralelo) {
        Md5Update(&s->md5, s->buffer, s->usado);
        Grava(s, s->buffer, s->usado);
        s->usado = 0;
        return;
    }
    // The previous buffer is digested: this one is handed over, written
    // meanwhile, and the other one filled next.
    AguardaDigesto();
    {
        std::lock_guard<std::mutex> t(D.trava);
        D.dados = s->atual;
        D.n = s->usado;
        D.ocupado = true;
    }
    D.sinal.notify_all();
    Grava(s, s->atual, s->usado);
    s->atual = s->atual == D.par[0] ? D.par[1] : D.par[0];
    s->usado = 0;
}

// Everything gathered goes to the file, and the digest covers all of it.
void Conclui(ArquivoSaida *s)
{
    Esvazia(s);
    EncerraDigesto(s);
}

void Poe(ArquivoSaida *s, const char *p, size_t n)
{
    while (n > 0) {
        if (s->usado == s->capacidade)
            Esvazia(s);
        size_t cabe = s->capacidade - s->usado;
        size_t parte = n < cabe ? n : cabe;
        std::memcpy((s->paralelo ? s->atual : s->buffer) + s->usado, p, parte);
        s->usado += parte;
        p += parte;
        n -= parte;
    }
}

// Where the name proper begins (after the directory).
size_t InicioBase(const char *caminho)
{
    size_t inicio = 0;
    for (size_t i = 0; caminho[i] != '\0'; ++i) {
        if (caminho[i] == '/' || (caminho[i] == '\\' && SEPARADOR_INVERTIDO))
            inicio = i + 1;
    }
    return inicio;
}

// Two final names of the same kind: the same but for the identification
// and the time stamp, or, without a stamp, the same name.
bool MesmoTipo(const char *a, const char *b)
{
    size_t n = std::strlen(b);
    if (std::strlen(a) != n)
        return false;
    long p = PosicaoCarimbo(b);
    if (p < 0)
        return std::strcmp(a, b) == 0;
    size_t prefixo = static_cast<size_t>(p >= 7 ? p - 7 : p - 1);
    return PosicaoCarimbo(a) == p && std::memcmp(a, b, prefixo) == 0 &&
           std::strcmp(a + p + 15, b + p + 15) == 0;
}

constexpr char SUFIXO_PARCIAL[] = ".parcial";

struct Limpeza {
    const char *diretorio;
    size_t tamanhoDiretorio;
    const char *base;
};

// A temporary file "~" + name + "." + process + ".parcial" of the same kind
// whose process has ended is removed.
void LimpaSeAbandonado(const char *nome, void *contexto)
{
    const Limpeza *l = static_cast<const Limpeza *>(contexto);
    size_t n = std::strlen(nome);
    const size_t sufixo = sizeof SUFIXO_PARCIAL - 1;
    if (nome[0] != '~' || n <= sufixo + 3 || n >= TAMANHO_CAMINHO_SAIDA ||
        std::strcmp(nome + n - sufixo, SUFIXO_PARCIAL) != 0)
        return;
    size_t fim = n - sufixo;
    size_t ponto = fim;
    while (ponto > 1 && nome[ponto - 1] >= '0' && nome[ponto - 1] <= '9')
        --ponto;
    if (ponto == fim || fim - ponto > 10 || ponto < 2 || nome[ponto - 1] != '.')
        return;
    uint64_t processo = 0;
    for (size_t i = ponto; i < fim; ++i)
        processo = processo * 10 + static_cast<unsigned>(nome[i] - '0');
    char base[TAMANHO_CAMINHO_SAIDA];
    std::memcpy(base, nome + 1, ponto - 2);
    base[ponto - 2] = '\0';
    if (processo > UINT32_MAX || !MesmoTipo(base, l->base) ||
        processo == IdProcesso() || ProcessoAtivo(static_cast<uint32_t>(processo)))
        return;
    char caminho[2 * TAMANHO_CAMINHO_SAIDA];
    std::memcpy(caminho, l->diretorio, l->tamanhoDiretorio);
    std::memcpy(caminho + l->tamanhoDiretorio, nome, n + 1);
    RemoveArquivo(caminho);
}

// Everything gathered goes to the file and the digest thread ends; then
// the file is closed.  0, or 1 when a write or the close failed.
int Fecha(ArquivoSaida *s, bool sincroniza)
{
    Conclui(s);
    bool falhou = s->erro;
    if (sincroniza && !falhou && SincronizaArquivo(s->arquivo) != 0)
        falhou = true;
    if (std::fclose(s->arquivo) != 0)
        falhou = true;
    s->arquivo = nullptr;
    return falhou ? 1 : 0;
}

}  // namespace

int AbreSaida(ArquivoSaida *s, const char *caminho, bool texto)
{
    s->arquivo = nullptr;
    s->texto = texto;
    s->erro = false;
    s->paralelo = false;
    s->atual = nullptr;
    s->capacidade = TAMANHO_BUFFER_SAIDA;
    s->usado = 0;
    s->escritos = 0;
    s->temporario[0] = '\0';
    Md5Init(&s->md5);
    size_t n = std::strlen(caminho);
    size_t base = InicioBase(caminho);
    if (n == base || n >= sizeof s->caminho)
        return 1;
    std::memcpy(s->caminho, caminho, n + 1);
    int t = std::snprintf(s->temporario, sizeof s->temporario, "%.*s~%s.%lu%s",
                          static_cast<int>(base), caminho, caminho + base,
                          static_cast<unsigned long>(IdProcesso()), SUFIXO_PARCIAL);
    if (t < 0 || static_cast<size_t>(t) >= sizeof s->temporario) {
        s->temporario[0] = '\0';
        return 1;
    }
    char diretorio[TAMANHO_CAMINHO_SAIDA];
    std::memcpy(diretorio, caminho, base);
    diretorio[base] = '\0';
    Limpeza l = {diretorio, base, caminho + base};
    PercorreDiretorio(diretorio, LimpaSeAbandonado, &l);
    s->arquivo = CriaArquivoNovo(s->temporario);
    if (s->arquivo == nullptr) {
        s->temporario[0] = '\0';
        return 1;
    }
    return 0;
}

void DigestoEmParalelo(ArquivoSaida *s)
{
    if (s->arquivo == nullptr || s->paralelo || D.ativa || s->usado != 0)
        return;
    D.md5 = &s->md5;
    D.ocupado = false;
    D.fim = false;
    if (IniciaLinha(&D.linha, RotinaDigesto) != 0)
        return;
    D.ativa = true;
    s->paralelo = true;
    s->atual = D.par[0];
    s->capacidade = TAMANHO_PAR;
}

void WriteOutput(ArquivoSaida *s, const void *bytes, size_t comprimento)
{
    if (comprimento == 0 || s->arquivo == nullptr)
        return;
    const char *p = static_cast<const char *>(bytes);
    if (!s->texto) {
        Poe(s, p, comprimento);
        return;
    }
    // Text mode: every "\n" reaches the disk as "\r\n".
    while (comprimento > 0) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', comprimento));
        size_t parte = nl != nullptr ? static_cast<size_t>(nl - p) : comprimento;
        Poe(s, p, parte);
        if (nl == nullptr)
            break;
        Poe(s, "\r\n", 2);
        p += parte + 1;
        comprimento -= parte + 1;
    }
}

int FechaSemNome(ArquivoSaida *s)
{
    if (s->arquivo == nullptr)
        return 1;
    return Fecha(s, true);
}

namespace {

// The rename of InstalaArquivo; duravel: the directory is synchronised.
int Instala(const char *temporario, char *final, bool duravel)
{
    char diretorio[TAMANHO_CAMINHO_SAIDA];
    size_t base = InicioBase(final);
    if (base >= sizeof diretorio)
        return 1;
    std::memcpy(diretorio, final, base);
    diretorio[base] = '\0';
    for (;;) {
        int r = RenomeiaSemSubstituir(temporario, final);
        if (r == 2 && !AvancaCarimbo(final))
            r = MoveArquivo(temporario, final);   // a name without a time stamp
        if (r == 0)
            return !duravel || SincronizaDiretorio(diretorio) == 0 ? 0 : 1;
        if (r != 2)
            return 1;
    }
}

}  // namespace

int InstalaArquivo(const char *temporario, char *final)
{
    return Instala(temporario, final, true);
}

int FechaSaida(ArquivoSaida *s)
{
    if (s->arquivo == nullptr)
        return 1;
    int r = Fecha(s, false);
    if (Instala(s->temporario, s->caminho, false) != 0)
        return 1;
    s->temporario[0] = '\0';
    return r;
}

void DescartaSaida(ArquivoSaida *s)
{
    if (s->arquivo == nullptr)
        return;
    EncerraDigesto(s);
    std::fclose(s->arquivo);
    s->arquivo = nullptr;
    s->usado = 0;
    RemoveArquivo(s->temporario);
    s->temporario[0] = '\0';
}

int FechaEAssinaSaida(ArquivoSaida *s)
{
    if (s->arquivo == nullptr)
        return 1;
    Conclui(s);
    if (s->erro || std::fflush(s->arquivo) != 0) {
        // A cut file is never signed.
        FechaSaida(s);
        return 1;
    }
    uint64_t corpo = s->md5.bytes;
    char linha[TAMANHO_LINHA_EAD];
    std::memcpy(linha, "EAD", 3);
    AssinaDigesto(&s->md5, linha + 3);
    Grava(s, reinterpret_cast<const uint8_t *>(linha), TAMANHO_LINHA_EAD);
    bool ok = !s->erro && SincronizaArquivo(s->arquivo) == 0;
    ok = std::fclose(s->arquivo) == 0 && ok;
    s->arquivo = nullptr;
    if (!ok) {
        // A line written in part would leave a broken trailer: the file is
        // cut back to its body and kept as it is.
        TruncaArquivo(s->temporario, corpo);
        if (Instala(s->temporario, s->caminho, false) == 0)
            s->temporario[0] = '\0';
        return 1;
    }
    if (InstalaArquivo(s->temporario, s->caminho) != 0)
        return 1;
    s->temporario[0] = '\0';
    return 0;
}
