// Temporary bodies of the skin downloads and the download queue, until they
// are built: no download runs or is queued, so none finishes.
#include "net/local.h"

void InitDownloadLocks() {}
void ProcessFinishedSkin() { MutableNet.skinDownloadWaiting = 0; }
void TickDownloads() {}
