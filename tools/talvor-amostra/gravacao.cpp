// Writes a generated sample into a directory the way talvor-sim reads it:
// mf.bin (the fiscal-memory image), sb.bin (the firmware image) and fita/
// with diretorio.txt (one closed file a line: name, date, time, CRZ and last
// COO), the closed files by name and File_Current.
#include <cstdio>

#include "amostra.h"
#include "files/saida.h"
#include "platform/plataforma.h"

namespace {

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

}  // namespace

std::string TextoDiretorio(const Amostra &a)
{
    std::string diretorio = "# Arquivos fechados da fita detalhe: NOME DDMMAAAA HHMMSS CRZ COO-FINAL\n";
    for (const ArquivoFita &f : a.arquivos) {
        char linha[96];
        std::snprintf(linha, sizeof linha, "%s %02u%02u%04u %02u%02u%02u %04u %08lu\n", f.nome.c_str(),
                      f.fechamento.dia, f.fechamento.mes, f.fechamento.ano, f.fechamento.hora,
                      f.fechamento.minuto, f.fechamento.segundo, f.crz % 10000,
                      static_cast<unsigned long>(f.ultimoCoo % 100000000u));
        diretorio += linha;
    }
    return diretorio;
}

bool GravaAmostra(const Amostra &a, const std::string &saida, uint64_t *bytesFita)
{
    const std::string fita = saida + "/fita";
    if (CriaDiretorio(saida.c_str()) != 0 || CriaDiretorio(fita.c_str()) != 0) {
        std::fprintf(stderr, "talvor-amostra: diret\xC3\xB3rio %s n\xC3\xA3o pode ser criado\n", fita.c_str());
        return false;
    }
    // The list is emptied first and filled last: a sample cut short by a
    // failed write lists nothing, never the files of an earlier sample.
    const std::string lista = fita + "/diretorio.txt";
    if (!Grava(lista, "", 0))
        return false;
    if (!Grava(saida + "/mf.bin", a.mf.m.data(), a.mf.m.size()) ||
        !Grava(saida + "/sb.bin", a.sb.data(), a.sb.size()))
        return false;
    const std::string diretorio = TextoDiretorio(a);
    uint64_t total = a.atual.size();
    for (const ArquivoFita &f : a.arquivos) {
        total += f.dados.size();
        if (!Grava(fita + "/" + f.nome, f.dados.data(), f.dados.size()))
            return false;
    }
    if (!Grava(fita + "/File_Current", a.atual.data(), a.atual.size()) ||
        !Grava(lista, diretorio.data(), diretorio.size()))
        return false;
    *bytesFita = total;
    return true;
}
