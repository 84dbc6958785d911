/*
 * embutido.c - the program of a project that builds talvor in its own tree:
 * it calls an export through talvor::talvor and checks the documented result
 * of GeraEspelhoLMF for a fiscal-memory file that does not exist (1).
 */
#include <stdio.h>

#include <talvor/ecf.h>

int main(void)
{
    int r = GeraEspelhoLMF("nao-existe.MF", "0", "1", "1", "30");
    if (r != 1) {
        fprintf(stderr, "GeraEspelhoLMF: resultado %d, esperado 1\n", r);
        return 1;
    }
    puts("embutido: GeraEspelhoLMF 1");
    return 0;
}
