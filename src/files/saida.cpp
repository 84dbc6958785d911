// The common write routine of downloads and text outputs.
#include "files/saida.h"

#include <cstring>

int AbreSaida(ArquivoSaida *s, const char *caminho, bool texto, bool acrescenta)
{
    s->texto = texto;
    s->erro = false;
    s->arquivo = std::fopen(caminho, acrescenta ? "ab" : "wb");
    return s->arquivo != nullptr ? 0 : 1;
}

void WriteOutput(ArquivoSaida *s, const void *bytes, size_t comprimento)
{
    if (comprimento == 0 || s->arquivo == nullptr)
        return;
    const char *p = static_cast<const char *>(bytes);
    if (!s->texto) {
        if (std::fwrite(p, 1, comprimento, s->arquivo) != comprimento)
            s->erro = true;
        return;
    }
    // Text mode: every "\n" reaches the disk as "\r\n".
    while (comprimento > 0) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', comprimento));
        size_t parte = nl != nullptr ? static_cast<size_t>(nl - p) : comprimento;
        if (parte > 0 && std::fwrite(p, 1, parte, s->arquivo) != parte)
            s->erro = true;
        if (nl == nullptr)
            break;
        if (std::fwrite("\r\n", 1, 2, s->arquivo) != 2)
            s->erro = true;
        p += parte + 1;
        comprimento -= parte + 1;
    }
}

int FechaSaida(ArquivoSaida *s)
{
    if (s->arquivo == nullptr)
        return 1;
    bool falhou = s->erro;
    if (std::fclose(s->arquivo) != 0)
        falhou = true;
    s->arquivo = nullptr;
    return falhou ? 1 : 0;
}
