// LeituraRZ: the scanner capture of a Redução Z.  Always 0: what happened
// is shown to the operator in the capture dialog.
#include "interface/processo.h"
#include "scanner/captura.h"
#include "talvor/ecf.h"

extern "C" TALVOR_API int32_t TALVOR_CALL LeituraRZ(void)
try {
    TravaExportacao trava;
    CapturaRZ();
    return 0;
} catch (...) {
    return 0;
}
