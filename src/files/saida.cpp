// The common write routine of downloads and text outputs: bytes gather in
// the writer's buffer, "\n" already made "\r\n" in text files, and go to the
// digest and the file a buffer at a time.  A large output may have its
// digest computed by a second thread, one buffer behind the writer.
#include "files/saida.h"

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <new>

#include "files/assinatura.h"
#include "platform/plataforma.h"

namespace {

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

void Esvazia(ArquivoSaida *s)
{
    if (s->usado == 0)
        return;
    if (!s->paralelo) {
        Md5Update(&s->md5, s->buffer, s->usado);
        if (std::fwrite(s->buffer, 1, s->usado, s->arquivo) != s->usado)
            s->erro = true;
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
    if (std::fwrite(s->atual, 1, s->usado, s->arquivo) != s->usado)
        s->erro = true;
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

}  // namespace

int AbreSaida(ArquivoSaida *s, const char *caminho, bool texto, bool acrescenta)
{
    s->texto = texto;
    s->erro = false;
    s->inteiro = !acrescenta;
    s->paralelo = false;
    s->atual = nullptr;
    s->capacidade = TAMANHO_BUFFER_SAIDA;
    s->usado = 0;
    Md5Init(&s->md5);
    s->arquivo = std::fopen(caminho, acrescenta ? "ab" : "wb");
    return s->arquivo != nullptr ? 0 : 1;
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

int FechaSaida(ArquivoSaida *s)
{
    if (s->arquivo == nullptr)
        return 1;
    Conclui(s);
    bool falhou = s->erro;
    if (std::fclose(s->arquivo) != 0)
        falhou = true;
    s->arquivo = nullptr;
    return falhou ? 1 : 0;
}

int FechaEAssinaSaida(ArquivoSaida *s, const char *caminho)
{
    if (s->arquivo == nullptr)
        return 1;
    if (!s->inteiro) {
        // Appended to: what was there before is read back with the rest.
        if (FechaSaida(s) != 0)
            return 1;
        return AppendSignatureLine(caminho) == 0 ? 0 : 1;
    }
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
    bool ok = std::fwrite(linha, 1, TAMANHO_LINHA_EAD, s->arquivo) == TAMANHO_LINHA_EAD;
    ok = std::fflush(s->arquivo) == 0 && ok;
    ok = std::fclose(s->arquivo) == 0 && ok;
    s->arquivo = nullptr;
    if (!ok) {
        // A line written in part would leave a broken trailer: the file is
        // cut back to its body.
        TruncaArquivo(caminho, corpo);
        return 1;
    }
    return 0;
}
