// Reset rules and field writers of the detail-tape type-E records.
#include "tipoe/registros_fd.h"

#include <cstring>
#include <initializer_list>

#include "text/numeros.h"

void PoeNumeroTipoE(char *destino, unsigned largura, uint64_t valor)
{
    // Right to left: the number's last largura digits, zeros before them.
    for (unsigned i = largura; i > 0; --i) {
        destino[i - 1] = static_cast<char>('0' + valor % 10);
        valor /= 10;
    }
}

void PoeTextoTipoE(char *destino, const uint8_t *texto, size_t n)
{
    std::memcpy(destino, texto, n);
    NulosParaBrancos(destino, n);
}

void PoeRepetidoTipoE(char *destino, char c, size_t n)
{
    std::memset(destino, c, n);
}

static void Branco(char *registro, size_t tamanho, const char *tipo)
{
    std::memset(registro, ' ', tamanho);
    std::memcpy(registro, tipo, 3);
    registro[tamanho] = '\0';
}

void RestauraE14(char *e14)
{
    PoeRepetidoTipoE(e14 + 66, '0', 14);
    PoeRepetidoTipoE(e14 + 80, '0', 13);
    e14[93] = 'V';
    PoeRepetidoTipoE(e14 + 94, '0', 13);
    e14[107] = 'V';
    PoeRepetidoTipoE(e14 + 108, '0', 14);
    PoeRepetidoTipoE(e14 + 123, '0', 13);
    e14[136] = ' ';
    PoeRepetidoTipoE(e14 + 137, ' ', 40);
    PoeRepetidoTipoE(e14 + 177, '0', 14);
}

void RestauraE15(char *e15)
{
    PoeRepetidoTipoE(e15 + 193, '0', 8);
    PoeRepetidoTipoE(e15 + 201, '0', 8);
    PoeRepetidoTipoE(e15 + 209, '0', 14);
    PoeRepetidoTipoE(e15 + 231, '0', 7);
    PoeRepetidoTipoE(e15 + 238, '0', 13);
    PoeRepetidoTipoE(e15 + 251, '0', 13);
}

void RestauraE16(char *e16)
{
    PoeRepetidoTipoE(e16 + 46, '0', 18);
    PoeRepetidoTipoE(e16 + 64, '0', 4);
    PoeRepetidoTipoE(e16 + 68, '0', 6);
}

void RestauraE17E18(char *e)
{
    PoeRepetidoTipoE(e + 67, '0', 13);
}

void RestauraE19(char *e19)
{
    RestauraE14(e19);
    PoeRepetidoTipoE(e19 + 46, '0', 12);
}

void RestauraE20(char *e20)
{
    for (size_t p : {76, 89, 102, 115, 129})
        PoeRepetidoTipoE(e20 + p, '0', 13);
}

void RestauraE21(char *e21)
{
    PoeRepetidoTipoE(e21 + 52, '0', 12);
    PoeRepetidoTipoE(e21 + 79, '0', 13);
    PoeRepetidoTipoE(e21 + 93, '0', 13);
}

void IniciaRegistrosTipoEFD(RegistrosTipoEFD *r)
{
    Branco(r->e01, TAM_E01, "E01");
    Branco(r->e02, TAM_E02, "E02");
    Branco(r->e14, TAM_E14, "E14");
    Branco(r->e15, TAM_E15, "E15");
    Branco(r->e16, TAM_E16, "E16");
    Branco(r->e17, TAM_E17, "E17");
    Branco(r->e18, TAM_E18, "E18");
    Branco(r->e19, TAM_E19, "E19");
    Branco(r->e20, TAM_E20, "E20");
    Branco(r->e21, TAM_E21, "E21");
    RestauraE14(r->e14);
    RestauraE15(r->e15);
    RestauraE16(r->e16);
    RestauraE17E18(r->e17);
    RestauraE17E18(r->e18);
    RestauraE19(r->e19);
    RestauraE20(r->e20);
    RestauraE21(r->e21);
}
