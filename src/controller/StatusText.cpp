#include "controller/StatusText.h"

#include <string>

WString FillStatusText(const WString& format, int count, const WString& name)
{
    WString out;
    bool countDone = false;
    bool nameDone = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const char16_t next = i + 1 < format.size() ? format[i + 1] : u'\0';
        if (format[i] != u'%' || next == u'\0') {
            out += format[i];
            continue;
        }
        if (next == u'%') {
            out += u'%';
            ++i;
        } else if (next == u'd' && !countDone) {
            for (char c : std::to_string(count))
                out += char16_t(c);
            countDone = true;
            ++i;
        } else if (next == u's' && !nameDone) {
            out += name;
            nameDone = true;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}
