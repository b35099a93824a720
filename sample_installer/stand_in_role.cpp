#include "stand_in_role.h"

namespace {

constexpr StandInRole kProductSetup{
    "setup.exe",
    "TAVO Setup",
    "A real disc would install TAVO here.\n\n"
    "This is the sample disc: its setup program only shows this message and installs nothing.",
};

constexpr StandInRole kReaderSetup{
    "acrobat\\ar40eng.exe",
    "Document Reader Setup",
    "A real disc would install the document reader here, so that the TAVO manual can be "
    "read.\n\n"
    "This is the sample disc: its reader installer only shows this message and installs "
    "nothing.",
};

}  // namespace

const StandInRole& ThisStandIn() {
#ifdef LUMARC_STAND_IN_READER
  return kReaderSetup;
#else
  return kProductSetup;
#endif
}
