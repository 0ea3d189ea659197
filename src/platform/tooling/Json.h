#pragma once

// Just enough JSON writing for the automation's answers.

#include "platform/core/Types.h"

#include <string>

std::string JsonString(const WString& text);
std::string JsonString(const std::string& utf8);
std::string JsonRect(const RECT& r);
// "#rrggbb".
std::string JsonColor(COLORREF color);
