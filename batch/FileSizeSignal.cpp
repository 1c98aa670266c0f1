#include "batch/FileSizeSignal.h"

#include <csignal>

namespace qz {

void TreatFileSizeLimitAsWriteError() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace qz
