// Detail-tape mirror generator: reads the record stream with LeRegistroFD,
// selects documents by date, COO or all, and writes their print lines,
// headers and special lines through the mirror line writer; the closing
// block follows a Redução Z that the stream leaves unfinished.
#include "mfd/espelho_fd.h"

#include <cstring>

#include "files/assinatura.h"
#include "files/parametros.h"
#include "files/saida.h"
#include "mfd/registro_fd.h"
#include "mfd/texto_fd.h"
#include "text/datas.h"
#include "text/linha.h"
#include "text/numeros.h"

namespace {

constexpr size_t TAMANHO_TEXTO_GUARDADO = 84;

struct EstadoEspelhoFD {
    bool selecionado;
    uint8_t tagInicio;            // start tag of the selected document
    uint8_t registroLMF[18];      // the start record of a selected LMF
    uint8_t estilo;               // style of the print lines (0x7E)
    bool rodapeArmado;            // a Redução Z has started and not ended
    const uint8_t *faixa;         // download parameter record
};

EstadoEspelhoFD M;
char TextoGuardadoFD[TAMANHO_TEXTO_GUARDADO];

bool Selecionado(const uint8_t *r)
{
    switch (M.faixa[PARAM_TIPO]) {
    case FAIXA_DATAS: {
        uint16_t data = static_cast<uint16_t>(LeNumero(r + 1, 2));
        return data >= LimiteInicio16(M.faixa) && data <= LimiteFim16(M.faixa);
    }
    case FAIXA_CONTADOR32: {
        uint32_t coo = static_cast<uint32_t>(LeNumero(r + 6, 4));
        return coo >= LimiteInicio32(M.faixa) && coo <= LimiteFim32(M.faixa);
    }
    case FAIXA_TUDO:
        return true;
    default:
        return false;
    }
}

int LinhaImpressa(const uint8_t *r)
{
    AjustaEstilo(M.estilo);
    LimpaLinha();
    uint8_t n = ExpandeLinhaFD(LinhaTexto, TAMANHO_LINHA, r + 1, r[0]);
    TraduzCaracteresFD(LinhaTexto, n);
    return EscreveLinha();
}

int LinhaTracejada()
{
    std::memset(LinhaTexto, '-', TAMANHO_LINHA);
    return EscreveLinha();
}

int ImprimeTextoGuardado()
{
    if (SoBrancos(TextoGuardadoFD, TAMANHO_TEXTO_GUARDADO))
        return 0;
    AjustaEstilo(2);
    LimpaLinha();
    ColocaTexto(0, TextoGuardadoFD, 48);
    int r = EscreveLinha();
    if (r != 0 || SoBrancos(TextoGuardadoFD + 48, 36))
        return r;
    LimpaLinha();
    ColocaTexto(0, TextoGuardadoFD + 48, 36);
    return EscreveLinha();
}

// A line with the fiscal logo "(BR)" at the column of byte 1 (counted from
// 1).  A column of 0, or one where "(BR)" would not fit in the line buffer,
// has no place for the logo: the line is written without it.
int LinhaComLogo(const uint8_t *r)
{
    LimpaLinha();
    ExpandeLinhaFD(LinhaTexto, TAMANHO_LINHA, r + 3, r[2]);
    unsigned coluna = r[1];
    if (coluna == 0 || coluna - 1 + 4 > TAMANHO_LINHA)
        return EscreveLinha();
    return AcrescentaBR(coluna - 1);
}

// Marks above or below the characters of an attributed line.
int LinhaDeMarcas(const uint8_t *atributos, unsigned n, uint8_t bit)
{
    LimpaLinha();
    bool alguma = false;
    for (unsigned i = 0; i < n; ++i) {
        if (atributos[i] & bit) {
            LinhaTexto[i] = '-';
            alguma = true;
        }
    }
    if (!alguma)
        return 0;
    int r = EscreveLinha();
    LimpaLinha();
    return r;
}

int LinhaComAtributos(const uint8_t *r)
{
    unsigned n = r[1];
    const uint8_t *caracteres = r + 2;
    const uint8_t *atributos = r + 2 + n;
    int x = LinhaDeMarcas(atributos, n, 0x04);
    if (x != 0)
        return x;
    LimpaLinha();
    std::memcpy(LinhaTexto, caracteres, n);
    TraduzCaracteresFD(LinhaTexto, n);
    x = EscreveLinha();
    if (x != 0)
        return x;
    return LinhaDeMarcas(atributos, n, 0x80);
}

int CabecalhoFD()
{
    AjustaEstilo(2);
    // Fields still zero (no record in the stream) count as blank and reach
    // the file as spaces.
    int r = CabecalhoUsuario(Identificacao.linhas, M.tagInicio != 0x89, Identificacao.cnpj,
                             Identificacao.ie, Identificacao.im);
    if (r != 0 || M.tagInicio != 0x82)
        return r;
    // Leitura da Memória Fiscal: its date, time and COO, and its title.
    AjustaEstilo(2);
    LimpaLinha();
    const uint8_t *s = M.registroLMF;
    DataHora dh{};
    DesempacotaData(static_cast<uint16_t>(LeNumero(s + 1, 2)), &dh);
    DesempacotaHora(static_cast<uint16_t>(LeNumero(s + 3, 2)), &dh);
    dh.segundo = s[5];
    FormataDataHora(dh, LinhaTexto, "dd/mm/yyyy hh:ii:ssv");
    ColocaRotulo(38, "COO:");
    FormataNumero(6, LinhaTexto + 42, 4, s + 6, FORMATO_ZEROS);
    r = EscreveLinha();
    if (r != 0)
        return r;
    static const char kTitulo[] = "LEITURA MEM\xD3" "RIA FISCAL";
    return EscreveTexto(kTitulo, sizeof kTitulo - 1);
}

void GuardaIdentificacao(const uint8_t *r)
{
    DadosIdentificacao &d = Identificacao;
    switch (r[0]) {
    case 0x90:
        std::memcpy(d.serie, r + 1, 20);
        std::memcpy(d.marca, r + 21, 20);
        std::memcpy(d.modelo, r + 41, 20);
        std::memcpy(d.tipo, r + 61, 7);
        break;
    case 0x91:
        std::memcpy(d.versao, r + 6, 3);
        break;
    case 0x92:
        std::memcpy(d.cnpj, r + 6, 20);
        std::memcpy(d.ie, r + 26, 20);
        std::memcpy(d.im, r + 46, 20);
        std::memcpy(d.gt, r + 67, 8);
        break;
    case 0x94:
        std::memcpy(d.numeroEcf, r + 1, 3);
        std::memcpy(d.numeroLoja, r + 4, 4);
        break;
    case 0x95:
        // Only six header lines exist; another index names none of them.
        if (r[1] < 6) {
            LinhaPreformatada &l = d.linhas[r[1]];
            l.estilo = 0;
            std::memcpy(l.texto, r + 3, 48);
            l.presente = r[51];
        }
        break;
    case 0x9C:
        std::memcpy(d.codificacaoGT, r + 6, 10);
        break;
    default:
        break;
    }
}

int ProcessaRegistro(const uint8_t *r)
{
    uint8_t tag = r[0];
    if (tag <= 0x74)
        return M.selecionado ? LinhaImpressa(r) : 0;
    if (InicioDocumentoFD(tag)) {
        M.selecionado = Selecionado(r);
        if (M.selecionado) {
            M.tagInicio = tag;
            if (tag == 0x82)
                std::memcpy(M.registroLMF, r, sizeof M.registroLMF);
        }
        if (tag == 0x83)
            M.rodapeArmado = true;
        return 0;
    }
    switch (tag) {
    case 0x75:
        return M.selecionado ? LinhaTracejada() : 0;
    case 0x76:
        return M.selecionado ? ImprimeTextoGuardado() : 0;
    case 0x7D:
        return M.selecionado ? LinhaComLogo(r) : 0;
    case 0x7E:
        M.estilo = r[1];
        return 0;
    case 0x7F:
        return M.selecionado ? LinhaComAtributos(r) : 0;
    case 0x80:
        return M.selecionado ? CabecalhoFD() : 0;
    case 0x90: case 0x91: case 0x92: case 0x94: case 0x95: case 0x9C:
        GuardaIdentificacao(r);
        return 0;
    case 0x9E:
        std::memset(TextoGuardadoFD, ' ', sizeof TextoGuardadoFD);
        std::memcpy(TextoGuardadoFD, r + 2, r[1] <= TAMANHO_TEXTO_GUARDADO ? r[1] : 0);
        return 0;
    case 0xA3: case 0xB3:
        M.rodapeArmado = false;
        return 0;
    case 0xC0:
        SomaSubtrai(8, Identificacao.gt, 6, r + 1, 0);
        return 0;
    default:
        return 0;
    }
}

}  // namespace

int RodapeFD()
{
    const DadosIdentificacao &d = Identificacao;
    int r = LinhaTracejada();
    if (r != 0)
        return r;
    LimpaLinha();
    ColocaTexto(0, d.marca, 20);
    ColocaTexto(27, d.modelo, 20);
    if ((r = EscreveLinha()) != 0)
        return r;
    if ((r = LinhaTipoVersaoECF()) != 0)
        return r;
    LimpaLinha();
    char gt[18];
    GTCodificado(gt);
    ColocaTexto(0, gt, 18);
    if ((r = EscreveLinha()) != 0)
        return r;
    AjustaEstilo(6);
    LimpaLinha();
    ColocaRotulo(0, "FAB:");
    ColocaTexto(5, d.serie, 20);
    return AcrescentaBR(43);
}

namespace {

// The mirror, closed with its signature line when assina is set.
int Espelho(FILE *entrada, uint64_t tamanho, const char *saida, const uint8_t *registro29,
            bool comParametros, bool assina)
{
    std::memset(Identificacao.linhas, 0, sizeof Identificacao.linhas);
    std::memset(Identificacao.cnpj, 0, sizeof Identificacao.cnpj);
    std::memset(Identificacao.ie, 0, sizeof Identificacao.ie);
    std::memset(Identificacao.im, 0, sizeof Identificacao.im);
    std::memset(&M, 0, sizeof M);
    M.faixa = registro29;
    std::memset(TextoGuardadoFD, ' ', sizeof TextoGuardadoFD);
    if (tamanho < TAMANHO_LINHA_EAD)
        return 1;

    static ArquivoSaida out;
    if (AbreSaida(&out, saida, true) != 0)
        return 1;
    DigestoEmParalelo(&out);
    SaidaEspelho = &out;
    AjustaEstilo(0);

    uint64_t fim = tamanho - TAMANHO_LINHA_EAD;
    uint64_t inicio = comParametros ? TAMANHO_PARAMETROS : 0;
    static LeitorFD leitor;
    AbreLeitorFD(&leitor, entrada, inicio, fim);
    static uint8_t registro[TAMANHO_REGISTRO_FD];
    int documento = 0;
    int falhaEscrita = 0;
    while (!FimDoFluxoFD(&leitor)) {
        int r = LeRegistroFD(&leitor, registro, &documento);
        if (r == FD_FIM)
            break;
        if (r != FD_OK) {
            static const char kMensagem[] = "BAD TAG FOUND IN EJ FILE \n";
            WriteOutput(&out, kMensagem, sizeof kMensagem - 1);
            FechaSaida(&out);
            SaidaEspelho = nullptr;
            return r;
        }
        if (ProcessaRegistro(registro) != 0) {
            falhaEscrita = 1;
            break;
        }
    }
    if (falhaEscrita == 0 && M.rodapeArmado)
        falhaEscrita = RodapeFD();
    SaidaEspelho = nullptr;
    if (falhaEscrita != 0) {
        FechaSaida(&out);
        return 1;
    }
    if (assina)
        return FechaEAssinaSaida(&out) == 0 ? 0 : 1;
    return FechaSaida(&out) == 0 ? 0 : 1;
}

}  // namespace

int EscreveEspelhoFD(FILE *entrada, uint64_t tamanho, const char *saida,
                     const uint8_t *registro29, bool comParametros)
{
    return Espelho(entrada, tamanho, saida, registro29, comParametros, false);
}

int GeraEspelhoFD(const char *entrada, const char *saida, const uint8_t *registro29,
                  bool comParametros)
{
    FILE *f = nullptr;
    uint64_t tamanho = 0;
    int r = AbreEntradaAssinada(entrada, &f, &tamanho);
    if (r != 0)
        return r;
    r = Espelho(f, tamanho, saida, registro29, comParametros, true);
    std::fclose(f);
    return r;
}
