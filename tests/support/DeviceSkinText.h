#pragma once

// The places of the device's skin as skingen writes them into a skin folder (skin.layout), for
// tests that make a skin of their own from them: the build writes them beside the generated
// places header.

#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <string>

namespace testenv {

inline std::string DeviceSkinLayout()
{
    std::string layout = ReadFile(BinaryDir() / "generated/ui/device-skin.layout");
    EXPECT_NE(layout.find("control incoming btn_accept "), std::string::npos) << "no device-skin.layout";
    return layout;
}

// The text with its one occurrence of `line` replaced.
inline std::string Replaced(std::string text, const std::string& line, const std::string& by)
{
    size_t at = text.find(line);
    EXPECT_NE(at, std::string::npos) << line;
    return at == std::string::npos ? text : text.replace(at, line.size(), by);
}

}
