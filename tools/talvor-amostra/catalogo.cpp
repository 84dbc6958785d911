// The sample shop's catalogue and the mapping between the totalizer code
// byte of an item and the partial-totalizer slot it adds to.
#include <cstdio>

#include "catalogo.h"

const Aliquota kAliquotas[NUM_ALIQUOTAS] = {{'T', 700}, {'T', 1200}, {'T', 1800}, {'T', 2500}, {'S', 500}};

const Produto kProdutos[] = {
    {"7891000100103", "ARROZ TIPO 1 5KG", "UN", 2190, 0x02, false, false},
    {"7896006711117", "FEIJAO CARIOCA 1KG", "UN", 789, 0x00, false, false},
    {"7891107101621", "OLEO DE SOJA 900ML", "UN", 699, 0x01, false, false},
    {"7891991010856", "CERVEJA PILSEN LATA 350ML", "UN", 389, 0x03, false, false},
    {"7896004400013", "LEITE UHT INTEGRAL 1L", "UN", 465, 0x90, false, false},
    {"2000001000005", "PAO FRANCES", "KG", 1290, 0x00, true, false},
    {"2000002000004", "QUEIJO MUSSARELA", "KG", 4590, 0x01, true, true},
    {"7894900011517", "REFRIGERANTE COLA 2L", "UN", 899, 0x80, false, false},
    {"7891024134702", "SABAO EM PO 1KG", "UN", 1450, 0x02, false, false},
    {"7896089012345", "CAFE TORRADO E MOIDO 500G", "UN", 1698, 0x00, false, false},
    {"0000000000017", "TAXA DE ENTREGA", "UN", 800, 0x44, false, false},
    {"7898357410015", "JORNAL DIARIO", "UN", 350, 0xA0, false, false},
    {"7891000053508", "ACHOCOLATADO EM PO 400G", "UN", 749, 0x02, false, false},
    {"2000003000003", "BANANA PRATA", "KG", 599, 0x90, true, false},
    {"7891150000017", "PILHA ALCALINA AA C/2", "UN", 1275, 0x81, false, false},
    {"7896036090014", "VINHO TINTO SECO 750ML", "UN", 3490, 0x03, false, true},
};
const unsigned kNumProdutos = sizeof kProdutos / sizeof kProdutos[0];

const char *const kPagamentos[NUM_PAGAMENTOS] = {"Dinheiro", "Cartao Debito", "Cartao Credito", "Cheque"};
const char *const kNaoFiscais[NUM_NAO_FISCAIS] = {"RECEBIMENTO", "CONTA CLIENTE", "RECARGA CELULAR"};

unsigned SlotDoCodigo(uint8_t codigo)
{
    if ((codigo & 0x80) == 0)
        return codigo & 0x0F;
    unsigned iss = (codigo & 0x40) ? 1 : 0;
    unsigned tipo = (codigo >> 4) & 3;
    return 16 + 2 * iss + 4 * tipo + (codigo & 0x0F);
}

bool SlotIss(unsigned slot)
{
    if (slot < 16)
        return slot < NUM_ALIQUOTAS && kAliquotas[slot].tipo == 'S';
    return ((slot - 16) % 4) / 2 == 1;
}

uint8_t CodigoDoSlot(unsigned slot)
{
    if (slot < 16)
        return static_cast<uint8_t>(slot | (SlotIss(slot) ? 0x40 : 0));
    unsigned s = slot - 16;
    return static_cast<uint8_t>(0x80 | ((s / 4) << 4) | (((s % 4) / 2) << 6) | (s % 2));
}

std::string RotuloSlot(unsigned slot)
{
    char b[16];
    if (slot < 16) {
        std::snprintf(b, sizeof b, "%c%02u,%02u%%", kAliquotas[slot].tipo, kAliquotas[slot].taxa / 100,
                      kAliquotas[slot].taxa % 100);
    } else {
        unsigned s = slot - 16;
        std::snprintf(b, sizeof b, "%c%s%u", "FIN"[s / 4], (s % 4) / 2 ? "S" : "", s % 2 + 1);
    }
    return b;
}
