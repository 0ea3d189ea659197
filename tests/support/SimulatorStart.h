#pragma once

// The module simulator driven through its control socket, as a person would through its console.

#include "ChildProgram.h"
#include "LineSocket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace testenv {

// Starts ostrilan-modsim with `args` and its control socket <dir>/ctl, connects `control` to it,
// and names its terminal in OSTRILAN_COM2 through the link <dir>/com2: once the line closes, a
// link tries the name again and again, and a freed terminal name is soon another test's.
::testing::AssertionResult StartSimulator(ChildProgram& sim, LineSocket& control,
    const std::filesystem::path& dir, std::vector<std::string> args, std::chrono::milliseconds wait);

}
