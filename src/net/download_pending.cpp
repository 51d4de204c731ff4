// Temporary body of the download queue's per-frame tick until downloads
// are built: nothing is ever queued.
#include "net/local.h"

void TickDownloads() {}
