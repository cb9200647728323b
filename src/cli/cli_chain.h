#pragma once
// Shared steps of the chain and boundary-scan commands.

#include <nlohmann/json.hpp>

#include "cli/cli_session.h"
#include "jtag/device_database.h"

// Connects as the options say (running the start-up work first) and detects the
// chain; true when at least one device was found.
bool ConnectAndDetect(TCliSession& session);
// The chain as [{"index","idcode","description","irLength","known"}].
nlohmann::json ChainJson(const TJTAG_Chain& chain);
