// The LMF mirror: the text of the fiscal-memory reading ("LEITURA MEMÓRIA
// FISCAL"), complete or simplified, for a range of dates or of reduction
// numbers, written from a downloaded fiscal-memory file and signed.
#include "mf/espelho_lmf.h"

#include <cstring>

#include "files/assinatura.h"
#include "files/saida.h"
#include "mf/estado_lmf.h"
#include "text/linha.h"
#include "text/numeros.h"

namespace {

constexpr int ERRO_CARACTERE = 96;
constexpr int ERRO_DATA = 103;

bool porData;
uint16_t dataInicio, dataFim;   // emission dates of the first and last reduction

// Up to n characters of a NUL-terminated argument.
size_t Comprimento(const char *texto, size_t n)
{
    size_t t = 0;
    while (t < n && texto[t] != '\0')
        ++t;
    return t;
}

int FaixaPorCrz(const char *inicio, const char *fim, unsigned *a, unsigned *b)
{
    uint32_t v[2];
    const char *textos[2] = {inicio, fim};
    for (int i = 0; i < 2; ++i) {
        LeNumeroTexto(4, &v[i], Comprimento(textos[i], 4), textos[i], 0);
        if (IndicadorCaractereInvalido || IndicadorSoBrancos)
            return ERRO_CARACTERE;
        v[i] = static_cast<uint32_t>(LeNumero(&v[i], 4));
    }
    if (v[0] < 1 || v[0] > v[1])
        return ERRO_DATA;
    if (v[1] > Estado.ultimoCrz)
        v[1] = Estado.ultimoCrz;
    if (v[0] > Estado.ultimoCrz)
        return ERRO_DATA;
    *a = v[0];
    *b = v[1];
    return 0;
}

int FaixaPorData(const char *inicio, const char *fim, unsigned *a, unsigned *b)
{
    uint16_t d0, d1;
    int r = LeDataTexto(inicio, &d0);
    if (r == 0)
        r = LeDataTexto(fim, &d1);
    if (r != 0)
        return r;
    if (d0 > d1)
        return ERRO_DATA;
    bool achou = false;
    const size_t limite = FimReducoes();
    for (size_t p = PosicaoReducaoZ(1); p < limite; p += TAM_REDUCAO_Z) {
        if (ValidaReducaoZ(p) != MF_OK)
            continue;
        uint16_t d = Campo16(RegistroReducaoZ, RZ_DATA);
        if (d < d0 || d > d1)
            continue;
        unsigned crz = Campo16(RegistroReducaoZ, RZ_CRZ);
        if (!achou) {
            *a = crz;
            dataInicio = d;
            achou = true;
        }
        *b = crz;
        dataFim = d;
    }
    if (!achou)
        return MF_FIM_REDUCOES;
    // Reductions out of CRZ order (a damaged memory) give the bounds in order.
    if (*a > *b) {
        unsigned t = *a;
        *a = *b;
        *b = t;
        uint16_t td = dataInicio;
        dataInicio = dataFim;
        dataFim = td;
    }
    return 0;
}

void PreencheIdentificacao()
{
    DadosIdentificacao &I = Identificacao;
    std::memset(&I, 0, sizeof I);
    std::memcpy(I.serie, Estado.serie, 20);
    std::memcpy(I.marca, Estado.marca, 20);
    std::memcpy(I.modelo, Estado.modelo, 20);
    std::memcpy(I.tipo, Estado.tipo, 7);
    std::memset(I.numeroEcf, ' ', 3);
    std::memset(I.numeroLoja, ' ', 4);
    std::memcpy(I.versao, Estado.versao, 3);
    std::memcpy(I.gt, Estado.gt, 8);
    std::memcpy(I.codificacaoGT, Estado.codificacaoGT, 10);
    std::memcpy(I.cnpj, Estado.cnpj, 20);
    std::memcpy(I.ie, Estado.ie, 20);
    std::memcpy(I.im, Estado.im, 20);
    GravaNumero(I.coo, 4, Estado.cooDocumento);
}

int Titulo(const char *texto)
{
    AjustaEstilo(2);
    return Linha(texto);
}

int Abertura(unsigned a, unsigned b)
{
    int r;
    if ((r = CabecalhoDocumento()) != 0 || (r = Titulo("LEITURA MEM\xD3RIA FISCAL")) != 0)
        return r;
    if (!Estado.completo && (r = Linha("SIMPLIFICADA")) != 0)
        return r;
    LimpaLinha();
    if (porData) {
        DataHora d{};
        char texto[10];
        Poe(0, "DATA:");
        DesempacotaData(dataInicio, &d);
        FormataDataHora(d, texto, "dd/mm/yyyy");
        PoeN(6, texto, 10);
        Poe(18, "A:");
        DesempacotaData(dataFim, &d);
        FormataDataHora(d, texto, "dd/mm/yyyy");
        PoeN(21, texto, 10);
    } else {
        Poe(0, "REDU\xC7\xC3O:");
        PoeNumero(9, 4, a);
        Poe(15, "A:");
        PoeNumero(18, 4, b);
    }
    if ((r = EscreveLinha()) != 0 || (r = LinhaSeparadora()) != 0)
        return r;

    struct { const char *rotulo; size_t coluna; unsigned largura; uint64_t valor; } contadores[] = {
        {"Contador Geral de Opera\xE7\xE3o N\xE3o-Fiscal:", 42, 6, Estado.gnf},
        {"Contador de Redu\xE7\xF5" "es Z:", 44, 4, Estado.ultimoCrz},
        {"Contador de Reinicio de Opera\xE7\xE3o:", 45, 3, Estado.cro},
        {"Contador de Fita-Detalhe:", 42, 6, Estado.fitasDetalhe}};
    for (const auto &c : contadores) {
        LimpaLinha();
        Poe(0, c.rotulo);
        PoeNumero(c.coluna, c.largura, c.valor);
        if ((r = EscreveLinha()) != 0)
            return r;
    }
    return 0;
}

// The CNPJ of the user record in a slot named by a user byte; blanks when
// the slot does not hold a user.
void CnpjDoSlot(unsigned slot, char *cnpj20)
{
    std::memset(cnpj20, ' ', 20);
    if (slot >= 1 && slot <= Estado.numUsuarios)
        std::memcpy(cnpj20, Estado.usuarios[slot - 1] + USU_CNPJ, 20);
}

int Reinicios()
{
    int r;
    if ((r = Linha("REINICIO OPERA\xC7\xC3O")) != 0 || (r = Linha("CRO      DATA        HORA")) != 0)
        return r;
    uint8_t reg[TAM_REINICIO];
    return PercorreLista(LeReinicio, SLOTS_REINICIO, reg, [&](unsigned n) {
        LimpaLinha();
        PoeNumero(0, 3, n);
        if (reg[REI_MARCA] != 0)
            Poe(4, "#");
        PoeDataHora(9, Campo16(reg, REI_DATA), Campo16(reg, REI_HORA), reg[REI_SEGUNDOS]);
        return EscreveLinha();
    });
}

int FitasDetalhe()
{
    int r;
    if ((r = Linha("IMPRESS\xC3O FITA DETALHE")) != 0 ||
        (r = Linha("CFD      DATA        HORA       COOi    COOf")) != 0)
        return r;
    uint8_t reg[TAM_FITA_DETALHE];
    unsigned anterior = 0;
    return PercorreLista(LeFitaDetalhe, SLOTS_FITA_DETALHE, reg, [&](unsigned n) {
        int e;
        if (n == 1 || reg[CFD_USUARIO] != anterior) {
            char cnpj[20];
            CnpjDoSlot(reg[CFD_USUARIO], cnpj);
            LimpaLinha();
            Poe(0, "CNPJ:");
            PoeN(6, cnpj, 20);
            if ((e = EscreveLinha()) != 0)
                return e;
        }
        anterior = reg[CFD_USUARIO];
        LimpaLinha();
        PoeNumero(0, 4, n);
        PoeDataHora(9, Campo16(reg, CFD_DATA), Campo16(reg, CFD_HORA), reg[CFD_SEGUNDOS]);
        PoeNumero(32, 6, CampoNumero(reg, CFD_COO_INICIAL, 3), 0);
        PoeNumero(40, 6, CampoNumero(reg, CFD_COO_FINAL, 3), 0);
        return EscreveLinha();
    });
}

int Usuarios()
{
    int r = Linha("USU\xC1RIOS");
    if (r != 0)
        return r;
    const unsigned total = Estado.numUsuarios;
    for (unsigned s = 0; s < total;) {
        unsigned fim = s;
        while (fim + 1 < total &&
               Estado.usuarios[fim + 1][USU_NUMERO] == Estado.usuarios[s][USU_NUMERO])
            ++fim;
        const uint8_t *primeiro = Estado.usuarios[s];
        const uint8_t *ultimo = Estado.usuarios[fim];
        LimpaLinha();
        Poe(0, "Usu\xE1rio:");
        PoeNumero(9, 2, primeiro[USU_NUMERO]);
        Poe(13, "CRO:");
        PoeNumero(17, 3, primeiro[USU_CRO]);
        PoeDataHora(22, Campo16(primeiro, USU_DATA), Campo16(primeiro, USU_HORA),
                    primeiro[USU_SEGUNDOS]);
        if ((r = EscreveLinha()) != 0)
            return r;
        static const struct { const char *rotulo; size_t coluna, campo; } kCampos[] = {
            {"CNPJ:", 5, USU_CNPJ}, {"IE:", 4, USU_IE}, {"IM:", 4, USU_IM}};
        for (const auto &c : kCampos) {
            LimpaLinha();
            Poe(0, c.rotulo);
            PoeN(c.coluna, ultimo + c.campo, 20);
            if ((r = EscreveLinha()) != 0)
                return r;
        }
        const uint8_t *gt = fim + 1 < total ? Estado.usuarios[fim + 1] + USU_GT : Estado.gt;
        LimpaLinha();
        Poe(0, "GT:");
        FormataNumero(24, LinhaTexto + 23, 8, gt, 0x90);
        if ((r = EscreveLinha()) != 0)
            return r;
        s = fim + 1;
    }
    return 0;
}

int Fechamento()
{
    int r;
    LimpaLinha();
    Poe(0, "N\xFAmero de Redu\xE7\xF5" "es Restantes:");
    unsigned restantes = SLOTS_REDUCAO_Z - Estado.ultimoCrz;
    PoeNumero(30, 4, restantes);
    if ((r = EscreveLinha()) != 0)
        return r;
    if (restantes < 60 && (r = Linha("MEM\xD3RIA EM ESGOTAMENTO - INFORMAR AO CREDENCIADO")) != 0)
        return r;
    if ((r = Linha("DADOS GERAIS")) != 0 || (r = Linha("SOFTWARE B\xC1SICO")) != 0)
        return r;
    uint8_t reg[TAM_DISPOSITIVO_MFD];
    r = PercorreLista(LeVersaoSB, SLOTS_VERSAO_SB, reg, [&](unsigned) {
        LimpaLinha();
        PoeNumero(0, 2, reg[VSB_VERSAO]);
        Poe(2, ".");
        PoeNumero(3, 2, reg[VSB_VERSAO + 1]);
        Poe(5, ".");
        PoeNumero(6, 2, reg[VSB_VERSAO + 2]);
        PoeDataHora(10, Campo16(reg, VSB_DATA), Campo16(reg, VSB_HORA), reg[VSB_SEGUNDOS]);
        return EscreveLinha();
    });
    if (r != 0 || (r = LinhaSeparadora()) != 0 || (r = Linha("MFD:")) != 0)
        return r;
    r = PercorreLista(LeDispositivoMFD, SLOTS_DISPOSITIVO_MFD, reg, [&](unsigned n) {
        LimpaLinha();
        PoeN(0, reg + DISP_SERIE, 20);
        uint8_t marca[TAM_MARCA_MFD];
        int e = PercorreLista(LeMarcaMFD, SLOTS_MARCA_MFD, marca, [&](unsigned) {
            if (marca[MARCA_DISPOSITIVO] == n)
                PoeN(22, marca + MARCA_CARACTERE, 1);
            return 0;
        });
        return e != 0 ? e : EscreveLinha();
    });
    if (r != 0 || (r = LinhaSeparadora()) != 0)
        return r;
    r = PercorreLista(LeCodificacaoGT, SLOTS_CODIFICACAO_GT, reg, [&](unsigned) {
        LimpaLinha();
        Poe(0, "CODIFICA\xC7\xC3O GT a partir de");
        PoeDataHora(27, Campo16(reg, CGT_DATA), Campo16(reg, CGT_HORA), reg[CGT_SEGUNDOS]);
        int e = EscreveLinha();
        if (e != 0)
            return e;
        LimpaLinha();
        for (unsigned d = 0; d < 10; ++d) {
            char peca[4] = {static_cast<char>('0' + d), '=', static_cast<char>(reg[CGT_LETRAS + d]),
                            ','};
            PoeN(5 * d, peca, 4);
        }
        return EscreveLinha();
    });
    if (r != 0)
        return r;
    return RodapeECF();
}

int Documento(unsigned a, unsigned b)
{
    int r;
    MontaTabelaInicioUsuario(a, b);
    if ((r = Abertura(a, b)) != 0 || (r = Reinicios()) != 0 || (r = FitasDetalhe()) != 0 ||
        (r = Usuarios()) != 0)
        return r;
    if ((r = Linha("REDU\xC7\xD5" "ES DI\xC1RIAS")) != 0 || (r = SecaoReducoes(a, b)) != 0)
        return r;
    return Fechamento();
}

int Gera(const char *tipo, const char *faixa, const char *inicio, const char *fim)
{
    if ((tipo[0] != '0' && tipo[0] != '1') || (faixa[0] != '0' && faixa[0] != '1'))
        return 3;
    Estado.completo = tipo[0] == '0';
    porData = faixa[0] == '0';
    int r = MontaEstadoLMF();
    if (r != 0)
        return r;
    PreencheIdentificacao();
    unsigned a = 0, b = 0;
    r = porData ? FaixaPorData(inicio, fim, &a, &b) : FaixaPorCrz(inicio, fim, &a, &b);
    if (r != 0)
        return r;
    return Documento(a, b);
}

}  // namespace

int GeradorEspelhoLMF(const char *arquivoMF, const char *saida, const char *tipo,
                      const char *faixa, const char *inicio, const char *fim)
{
    if (MapeiaMF(arquivoMF) != 0)
        return 1;
    static ArquivoSaida out;
    if (AbreSaida(&out, saida, true) != 0) {
        DesmapeiaMF();
        return 2;
    }
    DigestoEmParalelo(&out);
    SaidaEspelho = &out;
    int r = Gera(tipo, faixa, inicio, fim);
    SaidaEspelho = nullptr;
    DesmapeiaMF();
    // A failed write counts as a failure of the mirror: a cut file is never signed.
    if (r != 0) {
        FechaSaida(&out);
        return 3;
    }
    return FechaEAssinaSaida(&out) == 0 ? 0 : 3;
}
