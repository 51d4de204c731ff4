// Temporary bodies of the master-server link until it is built: the link
// is never open, so nothing is reported and this computer has no token.
#include "net/local.h"

void UpdateMasterLink() {}
void ReportToMaster(const char*, int32_t) {}
int IsMasterLinkOpen() { return 0; }
int32_t OwnMasterToken() { return 0; }
const char* OwnMasterUserName() { return ""; }
