#pragma once
// The release campaign from the command line, without a window:
//
//   doduvodaz --campaign [--version V] [--format json|csv]
//
// prints every listed site's state and last event for the record's program
// and its current version (or V), then the sites the log knows that the
// directory no longer lists. Reads softdata.xml (refilled from the remembered
// PAD file, as a start does), padsites.dat and submissions.sqlite in the
// working folder; the log is only read. Exit status 0, 1 when the log cannot
// be read (the message names the file), 64 for wrong arguments.
#include "campaign/submissionlog.h"

#include <QStringList>

class TSoftwareTable;

// The campaign a record stands for: its program name and version.
campaign::Campaign campaignOf(const TSoftwareTable &table);

bool isCampaignCommand(const QStringList &args);
int runCampaignCommand(int argc, char **argv, const QStringList &args);
