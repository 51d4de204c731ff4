// Temporary bodies of the skin downloads, until they are built: no
// download runs, so none finishes.
#include "net/local.h"

void InitDownloadLocks() {}
void ProcessFinishedSkin() { MutableNet.skinDownloadWaiting = 0; }
