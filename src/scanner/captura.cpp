// Scanner capture (not built yet: no scanner dialog is shown).
#include "scanner/captura.h"

void CapturaRZ()
{
}
