#include "GuideLimits.h"

#include <charconv>
#include <cmath>

namespace {

bool Parse(const std::string& text, double& out)
{
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value <= 0)
        return false;
    out = value;
    return true;
}

bool Parse(const std::string& text, int& out)
{
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0)
        return false;
    out = value;
    return true;
}

}

std::optional<std::string> GuideLimits::Take(std::vector<std::string>& arguments)
{
    std::vector<std::string> rest;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        const bool known = name == "--mm-per-pixel" || name == "--target" || name == "--gap"
            || name == "--pair" || name == "--primary-text" || name == "--text" || name == "--contrast";
        if (!known) {
            rest.push_back(name);
            continue;
        }
        if (i + 1 >= arguments.size())
            return name + " needs a value";
        const std::string& value = arguments[++i];
        bool ok = name == "--mm-per-pixel" ? Parse(value, mmPerPixel)
            : name == "--target"           ? Parse(value, minTarget)
            : name == "--gap"              ? Parse(value, minGap)
            : name == "--pair"             ? Parse(value, minPairDistance)
            : name == "--primary-text"     ? Parse(value, minPrimaryText)
            : name == "--text"             ? Parse(value, minText)
                                           : Parse(value, minContrast);
        if (!ok)
            return "bad value for " + name + ": " + value;
    }
    arguments = std::move(rest);
    return std::nullopt;
}
