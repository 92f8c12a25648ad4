#pragma once
// doduvodaz --campaign [--version V] [--format json|csv]: every listed site's
// submission state and last event for the record's release (or release V),
// from the submission log, on standard output. Needs a QCoreApplication.
#include "commandline.h"

namespace app {

// Returns 0, or 1 when the record or the log cannot be read.
int runCampaignReport(const CampaignOptions &options);

} // namespace app
