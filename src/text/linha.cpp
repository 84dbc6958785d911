// The mirror line writer and the blocks both mirrors share.  Every line is
// composed in LinhaTexto (147 characters, cleared to spaces), cut at the
// width of the current style and written with its line end; the style may
// add a separator line before and after it.
#include "text/linha.h"

#include <cstring>

#include "text/numeros.h"

char LinhaTexto[TAMANHO_LINHA];
uint8_t EstiloLinha = 0;
uint8_t ModoLargura = 0;
DadosIdentificacao Identificacao;
ArquivoSaida *SaidaEspelho = nullptr;

static const char kTracos[57 + 1] = "---------------------------------------------------------";

void LimpaLinha()
{
    std::memset(LinhaTexto, ' ', TAMANHO_LINHA);
}

void AjustaEstilo(uint8_t estilo)
{
    EstiloLinha = estilo;
    // Bits 0x04, 0x08 and 0x10 are attributes of the paper only.
    switch (estilo & static_cast<uint8_t>(~(0x04 | 0x08 | 0x10))) {
    case 0: ModoLargura = 0; break;
    case 1: ModoLargura = 1; break;
    case 3: ModoLargura = 3; break;
    default: ModoLargura = 2; break;
    }
}

unsigned LarguraLinha()
{
    switch (ModoLargura) {
    case 0: return 33;
    case 1: return 44;
    case 3: return 57;
    default: return 48;
    }
}

void ColocaTexto(size_t coluna, const char *texto, size_t n)
{
    if (coluna >= TAMANHO_LINHA)
        return;
    if (n > TAMANHO_LINHA - coluna)
        n = TAMANHO_LINHA - coluna;
    std::memcpy(LinhaTexto + coluna, texto, n);
}

void ColocaRotulo(size_t coluna, const char *rotulo)
{
    ColocaTexto(coluna, rotulo, std::strlen(rotulo));
}

int EscreveLinha()
{
    if (SaidaEspelho == nullptr)
        return 1;
    const unsigned w = LarguraLinha();
    if (EstiloLinha & 0x40) {
        WriteOutput(SaidaEspelho, kTracos, w);
        WriteOutput(SaidaEspelho, "\n", 1);
    }
    // Fields copied from the memories may hold NUL bytes: they reach the
    // file as spaces, so every line is plain text of its full width.
    char linha[TAMANHO_LINHA + 1];
    for (unsigned i = 0; i < w; ++i)
        linha[i] = LinhaTexto[i] == '\0' ? ' ' : LinhaTexto[i];
    linha[w] = '\n';
    WriteOutput(SaidaEspelho, linha, w + 1);
    if (EstiloLinha & 0x20) {
        WriteOutput(SaidaEspelho, kTracos, w);
        WriteOutput(SaidaEspelho, "\n", 1);
    }
    return 0;
}

int EscreveTexto(const char *texto, size_t n)
{
    LimpaLinha();
    ColocaTexto(0, texto, n);
    return EscreveLinha();
}

int LinhaSeparadora()
{
    AjustaEstilo(2);
    LimpaLinha();
    std::memset(LinhaTexto, '-', LarguraLinha());
    return EscreveLinha();
}

int AcrescentaBR(size_t coluna)
{
    ColocaRotulo(coluna, "(BR)");
    return EscreveLinha();
}

void VersaoParaTexto(char *destino8)
{
    std::memset(destino8, '0', 8);
    FormataNumero(2, destino8, 1, &Identificacao.versao[0], FORMATO_ZEROS);
    destino8[2] = '.';
    FormataNumero(2, destino8 + 3, 1, &Identificacao.versao[1], FORMATO_ZEROS);
    destino8[5] = '.';
    FormataNumero(2, destino8 + 6, 1, &Identificacao.versao[2], FORMATO_ZEROS);
}

void GTCodificado(char *destino18)
{
    FormataNumero(18, destino18, 8, Identificacao.gt, FORMATO_ZEROS);
    for (int i = 0; i < 18; ++i)
        destino18[i] = Identificacao.codificacaoGT[destino18[i] - '0'];
}

// A field of spaces and NUL bytes only is blank.
static bool CampoEmBranco(const char *campo, size_t n)
{
    for (size_t i = 0; i < n; ++i) {
        if (campo[i] != ' ' && campo[i] != '\0')
            return false;
    }
    return true;
}

static void ColocaDataHora(size_t coluna, const DataHora &d)
{
    char texto[20];
    FormataDataHora(d, texto, "dd/mm/yyyy hh:ii:ssv");
    ColocaTexto(coluna, texto, sizeof texto);
}

int LinhaTipoVersaoECF()
{
    AjustaEstilo(2);
    LimpaLinha();
    char versao[8];
    VersaoParaTexto(versao);
    ColocaTexto(0, Identificacao.tipo, 7);
    ColocaRotulo(10, "VERS\xC3" "O:");
    ColocaTexto(18, versao, 8);
    ColocaRotulo(29, "ECF:");
    ColocaTexto(34, Identificacao.numeroEcf, 3);
    ColocaRotulo(39, "LJ:");
    ColocaTexto(43, Identificacao.numeroLoja, 4);
    return EscreveLinha();
}

int RodapeECF()
{
    int r = LinhaSeparadora();
    if (r != 0)
        return r;
    AjustaEstilo(2);
    LimpaLinha();
    ColocaTexto(0, Identificacao.marca, 20);
    ColocaTexto(27, Identificacao.modelo, 20);
    if ((r = EscreveLinha()) != 0)
        return r;

    if ((r = LinhaTipoVersaoECF()) != 0)
        return r;

    LimpaLinha();
    char gt[18];
    GTCodificado(gt);
    ColocaTexto(0, gt, 18);
    DataHora agora{};
    DataHoraAtual(&agora);
    ColocaDataHora(28, agora);
    if ((r = EscreveLinha()) != 0)
        return r;

    AjustaEstilo(6);
    LimpaLinha();
    ColocaRotulo(0, "FAB:");
    ColocaTexto(5, Identificacao.serie, 20);
    return EscreveLinha();
}

int CabecalhoUsuario(const LinhaPreformatada *linhas, bool comLinhas, const char *cnpj,
                     const char *ie, const char *im)
{
    int r;
    if (comLinhas) {
        for (int i = 0; i < 6; ++i) {
            if (!linhas[i].presente)
                continue;
            AjustaEstilo(linhas[i].estilo);
            LimpaLinha();
            ColocaTexto(0, linhas[i].texto, 48);
            if ((r = EscreveLinha()) != 0)
                return r;
        }
    }
    AjustaEstilo(2);
    LimpaLinha();
    const bool semCnpj = CampoEmBranco(cnpj, 20);
    const bool semIe = CampoEmBranco(ie, 20);
    if (!semCnpj) {
        ColocaRotulo(0, "CNPJ:");
        ColocaTexto(5, cnpj, 20);
    }
    if (!semIe) {
        ColocaRotulo(25, "IE:");
        ColocaTexto(28, ie, 20);
    }
    if (!(semCnpj && semIe) && (r = EscreveLinha()) != 0)
        return r;
    if (!CampoEmBranco(im, 20)) {
        LimpaLinha();
        ColocaRotulo(0, "IM:");
        ColocaTexto(5, im, 20);
        if ((r = EscreveLinha()) != 0)
            return r;
    }
    return LinhaSeparadora();
}

int CabecalhoDocumento()
{
    DataHoraAtual(&Identificacao.dataDocumento);
    AjustaEstilo(2);
    int r = CabecalhoUsuario(Identificacao.linhas, true, Identificacao.cnpj, Identificacao.ie,
                             Identificacao.im);
    if (r != 0)
        return r;
    LimpaLinha();
    ColocaDataHora(0, Identificacao.dataDocumento);
    ColocaRotulo(38, "COO:");
    FormataNumero(6, LinhaTexto + 42, 4, Identificacao.coo, FORMATO_ZEROS);
    if ((r = EscreveLinha()) != 0)
        return r;
    return LinhaSeparadora();
}
