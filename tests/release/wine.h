#pragma once
// The Windows show's runs: in the test run's Wine prefix, with Wine's own
// diagnostics off, and the command that starts an .exe under Wine.
#include "test_support.h"

#define WINE_ENVIRONMENT "WINEPREFIX=" BOUNCEFEST_WINE_PREFIX " WINEDEBUG=-all "

// Wine's desktop process outlives the show; waiting for it keeps its
// complaint about the X server going away off standard error.
inline std::string underWine(const std::filesystem::path& exe)
{
    return "sh -c '\"$0\" \"$1\"; status=$?; \"$2\" -w; exit $status' '" BOUNCEFEST_WINE "' '" + exe.string() +
           "' '" BOUNCEFEST_WINESERVER "'";
}
