#include "C_varnelpurity.h"

C_VarnelPurity::C_VarnelPurity() { SetCommand(CMD_WAVELENGTH, "L=%4.3f"); }

bool C_VarnelPurity::IsPresent() { return Open(); }
