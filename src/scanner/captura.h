// Capture of a Redução Z read back with a HID scanner.
#ifndef TALVOR_SCANNER_CAPTURA_H
#define TALVOR_SCANNER_CAPTURA_H

// Runs the capture dialog until the operator closes it.
void CapturaRZ();

#endif
