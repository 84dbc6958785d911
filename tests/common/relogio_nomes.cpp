// The hand-moved clock of file-name time stamps.
#include "common/relogio_nomes.h"

#include <cstdio>

#include "platform/plataforma.h"

namespace {

RelogioLocal g_agora;

void Le(RelogioLocal *r)
{
    *r = g_agora;
}

void Soma(RelogioLocal *r, unsigned segundos)
{
    long s = r->segundo + 60L * (r->minuto + 60L * r->hora) + static_cast<long>(segundos);
    r->dia += static_cast<int>(s / 86400);
    s %= 86400;
    r->hora = static_cast<int>(s / 3600);
    r->minuto = static_cast<int>(s / 60 % 60);
    r->segundo = static_cast<int>(s % 60);
}

void AvancaUm()
{
    Soma(&g_agora, 1);
}

const RelogioTeste kRelogio = {Le, AvancaUm};

}  // namespace

RelogioDeNomes::RelogioDeNomes(int ano, int mes, int dia, int hora, int minuto, int segundo)
{
    g_agora = RelogioLocal{ano, mes, dia, hora, minuto, segundo, 0};
    RelogioNomesTeste = &kRelogio;
}

RelogioDeNomes::~RelogioDeNomes()
{
    RelogioNomesTeste = nullptr;
}

void RelogioDeNomes::Avanca(unsigned segundos)
{
    Soma(&g_agora, segundos);
}

std::string RelogioDeNomes::Carimbo(unsigned segundos) const
{
    RelogioLocal r = g_agora;
    Soma(&r, segundos);
    char texto[32];
    std::snprintf(texto, sizeof texto, "%04d%02d%02d_%02d%02d%02d", r.ano, r.mes, r.dia, r.hora,
                  r.minuto, r.segundo);
    return texto;
}
