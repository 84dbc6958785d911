// Builds the default sample printer of talvor-sim with the generator of
// talvor-amostra (its default seed and number of days), so that the
// emulator started without images serves exactly what
// `talvor-amostra --saida DIR` writes.
#include "amostra_sim.h"

#include "../talvor-amostra/amostra.h"

void GeraAmostraSim(AmostraSim *s)
{
    Amostra a;
    GeraAmostra(SEMENTE_PADRAO, DIAS_PADRAO, &a);
    GeraSoftwareBasico(SEMENTE_PADRAO, &a.sb);
    s->mf = a.mf.m;
    s->sb = a.sb;
    s->diretorio = TextoDiretorio(a);
    for (const ArquivoFita &f : a.arquivos)
        s->arquivos[f.nome] = f.dados;
    s->atual = a.atual;
}
