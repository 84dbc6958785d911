// The common write routine of downloads and text outputs: bytes gather in
// the writer's buffer, "\n" already made "\r\n" in text files, and go to the
// digest and the file a buffer at a time.
#include "files/saida.h"

#include <cstring>

#include "files/assinatura.h"
#include "platform/plataforma.h"

namespace {

void Esvazia(ArquivoSaida *s)
{
    if (s->usado == 0)
        return;
    Md5Update(&s->md5, s->buffer, s->usado);
    if (std::fwrite(s->buffer, 1, s->usado, s->arquivo) != s->usado)
        s->erro = true;
    s->usado = 0;
}

void Poe(ArquivoSaida *s, const char *p, size_t n)
{
    while (n > 0) {
        if (s->usado == TAMANHO_BUFFER_SAIDA)
            Esvazia(s);
        size_t cabe = TAMANHO_BUFFER_SAIDA - s->usado;
        size_t parte = n < cabe ? n : cabe;
        std::memcpy(s->buffer + s->usado, p, parte);
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
    s->usado = 0;
    Md5Init(&s->md5);
    s->arquivo = std::fopen(caminho, acrescenta ? "ab" : "wb");
    return s->arquivo != nullptr ? 0 : 1;
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
    Esvazia(s);
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
    Esvazia(s);
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
