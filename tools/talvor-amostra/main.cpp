// talvor-amostra: writes a sample Talvor printer for talvor-sim and for the
// converters: the fiscal-memory image (mf.bin), the firmware image (sb.bin)
// and the detail-tape file system (fita/: diretorio.txt, one file per day
// and File_Current), all from a seed, byte for byte the same for the same
// seed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "amostra.h"
#include "files/saida.h"
#include "platform/plataforma.h"

namespace {

const char kAjuda[] =
    "uso: talvor-amostra [--semente N] [--saida DIRETORIO] [--dias N]\n"
    "Gera uma impressora de exemplo: mem\xC3\xB3ria fiscal (mf.bin), software b\xC3\xA1sico\n"
    "(sb.bin) e a fita detalhe (fita/) com N dias de movimento (padr\xC3\xA3o 400), sempre\n"
    "os mesmos bytes para a mesma semente (padr\xC3\xA3o 1).\n"
    "Exemplo:\n"
    "  talvor-amostra --saida amostra\n"
    "  talvor-sim --mf amostra/mf.bin --sb amostra/sb.bin --fita amostra/fita\n";

bool Grava(const std::string &caminho, const void *dados, size_t n)
{
    ArquivoSaida s;
    if (AbreSaida(&s, caminho.c_str(), false) != 0) {
        std::fprintf(stderr, "talvor-amostra: %s n\xC3\xA3o pode ser criado\n", caminho.c_str());
        return false;
    }
    WriteOutput(&s, dados, n);
    if (FechaSaida(&s) != 0) {
        std::fprintf(stderr, "talvor-amostra: falha ao gravar %s\n", caminho.c_str());
        return false;
    }
    return true;
}

bool LeNumero(const char *texto, unsigned long long minimo, unsigned long long maximo,
              unsigned long long *valor)
{
    char *fim = nullptr;
    if (texto[0] < '0' || texto[0] > '9')
        return false;
    *valor = std::strtoull(texto, &fim, 10);
    return *fim == '\0' && *valor >= minimo && *valor <= maximo;
}

int ErroDeUso(const char *mensagem, const char *valor)
{
    std::fprintf(stderr, "talvor-amostra: %s: %s\n%s", mensagem, valor, kAjuda);
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    unsigned long long semente = 1, dias = 400;
    std::string saida = "amostra";
    for (int i = 1; i < argc; ++i) {
        std::string op = argv[i];
        if (op == "--help" || op == "-h" || op == "--ajuda") {
            std::fputs(kAjuda, stdout);
            return 0;
        }
        if (op != "--semente" && op != "--saida" && op != "--dias")
            return ErroDeUso("op\xC3\xA7\xC3\xA3o desconhecida", argv[i]);
        if (i + 1 >= argc)
            return ErroDeUso("falta o valor da op\xC3\xA7\xC3\xA3o", argv[i]);
        const char *v = argv[++i];
        if (op == "--semente" && !LeNumero(v, 0, UINT64_MAX, &semente))
            return ErroDeUso("semente inv\xC3\xA1lida", v);
        if (op == "--dias" && !LeNumero(v, 1, 2500, &dias))
            return ErroDeUso("n\xC3\xBAmero de dias inv\xC3\xA1lido (1 a 2500)", v);
        if (op == "--saida") {
            if (v[0] == '\0')
                return ErroDeUso("diret\xC3\xB3rio inv\xC3\xA1lido", v);
            saida = v;
        }
    }
    Amostra a;
    GeraAmostra(semente, static_cast<unsigned>(dias), &a);
    GeraSoftwareBasico(semente, &a.sb);

    const std::string fita = saida + "/fita";
    if (CriaDiretorio(saida.c_str()) != 0 || CriaDiretorio(fita.c_str()) != 0) {
        std::fprintf(stderr, "talvor-amostra: diret\xC3\xB3rio %s n\xC3\xA3o pode ser criado\n", fita.c_str());
        return 1;
    }
    if (!Grava(saida + "/mf.bin", a.mf.m.data(), a.mf.m.size()) ||
        !Grava(saida + "/sb.bin", a.sb.data(), a.sb.size()))
        return 1;
    std::string diretorio =
        "# Arquivos fechados da fita detalhe: NOME DDMMAAAA HHMMSS CRZ COO-FINAL\n";
    uint64_t total = a.atual.size();
    for (const ArquivoFita &f : a.arquivos) {
        char linha[96];
        std::snprintf(linha, sizeof linha, "%s %02u%02u%04u %02u%02u%02u %04u %08u\n", f.nome.c_str(),
                      f.fechamento.dia, f.fechamento.mes, f.fechamento.ano, f.fechamento.hora,
                      f.fechamento.minuto, f.fechamento.segundo, f.crz % 10000, f.ultimoCoo % 100000000u);
        diretorio += linha;
        total += f.dados.size();
        if (!Grava(fita + "/" + f.nome, f.dados.data(), f.dados.size()))
            return 1;
    }
    if (!Grava(fita + "/File_Current", a.atual.data(), a.atual.size()) ||
        !Grava(fita + "/diretorio.txt", diretorio.data(), diretorio.size()))
        return 1;
    std::printf("%s: %zu arquivos da fita detalhe (%llu bytes), mem\xC3\xB3ria fiscal e software b\xC3\xA1sico\n",
                saida.c_str(), a.arquivos.size() + 1, static_cast<unsigned long long>(total));
    std::printf("talvor-sim --mf %s/mf.bin --sb %s/sb.bin --fita %s\n", saida.c_str(), saida.c_str(),
                fita.c_str());
    return 0;
}
