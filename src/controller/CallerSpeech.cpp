#include "controller/CallerSpeech.h"

#include "platform/core/Text.h"
#include "platform/devices/AudioSystem.h"
#include "platform/tooling/Trace.h"
#include "platform/win/WindowApi.h"

namespace {

struct LanguageVoice {
    LANGID language;
    const char* voice;
};

// Every interface language has a voice in Debian's espeak-ng-data; docs/sound.md lists them.
constexpr LanguageVoice kVoices[] = {
    { 0x0405, "cs" },
    { 0x0406, "da" },
    { 0x0407, "de" },
    { 0x0408, "el" },
    { 0x0409, "en-us" },
    { 0x040A, "es" },
    { 0x040B, "fi" },
    { 0x040C, "fr-fr" },
    { 0x040E, "hu" },
    { 0x0410, "it" },
    { 0x0413, "nl" },
    { 0x0415, "pl" },
    { 0x0418, "ro" },
    { 0x0419, "ru" },
    { 0x041B, "sk" },
    { 0x041D, "sv" },
    { 0x0809, "en-gb" },
    { 0x0816, "pt" },
};
constexpr const char* kEnglish = "en-us";

}

CallerSpeech::CallerSpeech(HWND target, UINT readyMessage, uint32_t outputRate)
    : m_worker(outputRate, [target, readyMessage](uint32_t ticket) { PostMessageW(target, readyMessage, ticket, 0); })
{
}

const char* CallerSpeech::VoiceFor(LANGID language)
{
    for (const LanguageVoice& entry : kVoices) {
        if (entry.language == language)
            return entry.voice;
    }
    return kEnglish;
}

std::string CallerSpeech::TextFor(const std::optional<WString>& name, std::string_view number)
{
    if (name && !name->empty())
        return ToUtf8(*name);
    std::string digits;
    for (char c : number) {
        if ((c < '0' || c > '9') && c != '+' && c != '*' && c != '#')
            continue;
        if (!digits.empty())
            digits += ' ';
        digits += c;
    }
    return digits;
}

void CallerSpeech::RingStarted()
{
    RingEnded();
    m_ringing = true;
}

void CallerSpeech::CallerKnown(const std::string& text, const std::string& voice)
{
    if (!m_ringing || m_requested || text.empty())
        return;
    m_requested = true;
    m_worker.Request(m_ticket, text, voice);
}

void CallerSpeech::ToneDone()
{
    if (!m_ringing)
        return;
    m_toneDone = true;
    SayWhenDue();
}

void CallerSpeech::Ready(WPARAM ticket)
{
    if (!m_ringing || ticket != m_ticket)
        return;
    m_sound = m_worker.Take(m_ticket);
    Trace::Write("sound", m_sound ? "speech ready" : "speech failed");
    SayWhenDue();
}

void CallerSpeech::RingEnded()
{
    // A speech still being made for this ring is dropped, and one made but not said released.
    m_worker.Cancel();
    ++m_ticket;
    m_ringing = false;
    m_requested = false;
    m_toneDone = false;
    m_sound.reset();
}

void CallerSpeech::SayWhenDue()
{
    if (!m_toneDone || !m_sound)
        return;
    (void)AudioSystem::Current().PlayOver(std::move(m_sound), "speech");
    // Once per ring.
    m_sound.reset();
    m_ringing = false;
}
