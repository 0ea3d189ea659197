#include "platform/controls/DialogTemplate.h"

#include <map>
#include <mutex>

namespace {

std::mutex g_mutex;

std::map<UINT, DialogTemplate>& Templates()
{
    static std::map<UINT, DialogTemplate> templates;
    return templates;
}

}

void DialogTemplates::Register(DialogTemplate dialogTemplate)
{
    std::lock_guard lock(g_mutex);
    UINT id = dialogTemplate.id;
    Templates()[id] = std::move(dialogTemplate);
}

const DialogTemplate* DialogTemplates::Find(UINT id)
{
    std::lock_guard lock(g_mutex);
    auto it = Templates().find(id);
    return it == Templates().end() ? nullptr : &it->second;
}
