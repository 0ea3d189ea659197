#pragma once

// The places of the skinned controls, read from the skin description, as a C++ header: one
// namespace per background (its folder, or its name without "bg_" for the shared folder), in it
// every button and strip placed on that background with its image path and rectangle, the
// owner-drawn list, and every text that carries name=. A control placed twice on one background
// becomes an array in placing order. Screens, tests and the tour read their coordinates here
// only, so a place changed in the description moves all of them together. The header holds the
// device's skin; another skin ships the same places as text (skin.layout), which the application
// reads at start into the header's values.

#include "SkinDescription.h"

#include <string>

// The header's text; empty with a message in error when two places would get one name.
std::string ComposeLayoutHeader(const SkinDescription& skin, std::string& error);
// The places as the text a skin folder carries; empty with a message in error as above.
std::string ComposeLayoutText(const SkinDescription& skin, std::string& error);
