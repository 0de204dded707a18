// The commands that only look: the device lists, the connection check, the
// instrument directory and a wavesample's parameters.
#pragma once

#include "cli/CliArguments.h"
#include "cli/CliSession.h"

int ListDevices();
int Probe(TCliSession& session);
int ListInstruments(TCliSession& session, bool json);
int ShowParameters(TCliSession& session, const TCliArguments& arguments);
