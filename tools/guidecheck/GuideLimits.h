#pragma once

// The numbers a screen is measured against. The defaults are those of a 7-inch 800 x 480 panel
// (0.193 mm a pixel): touch targets of 12 mm, primary texts of 5 mm, the rest 4 mm.

#include <optional>
#include <string>
#include <vector>

struct GuideLimits {
    double mmPerPixel = 0.193;
    int minTarget = 62; // width and height of every enabled touch target
    int minGap = 8; // from a target to its nearest neighbour
    int minPairDistance = 62; // between an action and its opposite or a destructive one
    int minPrimaryText = 26; // font height of the caller, call state and time, dialled digits
    int minText = 20; // font height of every other text
    double minContrast = 4.5; // text against what it is drawn on

    // Reads "--mm-per-pixel X", "--target N", "--gap N", "--pair N", "--primary-text N", "--text N",
    // "--contrast X" from the arguments, removing them; the reason when one is malformed.
    [[nodiscard]] std::optional<std::string> Take(std::vector<std::string>& arguments);
};
