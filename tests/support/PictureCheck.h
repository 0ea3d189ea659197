#pragma once

// Compares what a test drew with the committed picture of the same name. The renderer is
// deterministic, so the comparison is exact. With OSTRILAN_UPDATE_SCREENS=1 the drawn picture is
// written over the committed one instead (scripts/screens.sh), so that a change of look shows up
// in review as a changed file; a normal run never writes into the source tree.

#include "platform/draw/Surface.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace testenv {

// Success when `drawn` equals <folder>/<name>.png. On a difference the failure names the
// picture, the box and the pixel count, and the drawn picture and a diff image (differing pixels
// red over a dimmed copy) are written to <outFolder>/<name>.png and <name>-diff.png.
::testing::AssertionResult MatchesPicture(const Surface& drawn, const std::string& name,
    const std::filesystem::path& folder, const std::filesystem::path& outFolder);

}
