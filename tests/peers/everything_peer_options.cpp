#include "peers/everything_peer_options.h"

#include <wchar.h>

#include "peers/everything_peer_protocol.h"

const wchar_t kKxtPeerUsage[] =
    L"usage: kx_everything_peer --root <folder> [--root <folder>...] [--class NAME] [--filters FILE]\n"
    L"       [--record FILE] [--ready-event NAME] [--exit-with PID] [--reply-inline] [--delay-ms N]\n"
    L"       [--silent] [--twice] [--loading] [--hung] [--malformed "
    L"short|empty|numitems-overflow|offset-outside|offset-huge|\n"
    L"                              length-outside|length-huge|no-request-flags|wrong-dwdata]\n";

namespace {

struct KxtPeerFlagSwitch {
    const wchar_t* name;
    bool KxtPeerOptions::*field;
};

struct KxtPeerTextSwitch {
    const wchar_t* name;
    std::wstring KxtPeerOptions::*field;
};

const KxtPeerFlagSwitch kKxtPeerFlagSwitches[] = {
    {L"--reply-inline", &KxtPeerOptions::replyInline},
    {L"--silent", &KxtPeerOptions::silent},
    {L"--twice", &KxtPeerOptions::twice},
    {L"--loading", &KxtPeerOptions::loading},
    {L"--hung", &KxtPeerOptions::hung},
};

const KxtPeerTextSwitch kKxtPeerTextSwitches[] = {
    {L"--class", &KxtPeerOptions::windowClass},
    {L"--filters", &KxtPeerOptions::filtersFile},
    {L"--record", &KxtPeerOptions::recordFile},
    {L"--ready-event", &KxtPeerOptions::readyEvent},
};

bool KxtPeerParseNumber(const std::wstring& text, DWORD& value)
{
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (wchar_t digit : text) {
        if (digit < L'0' || digit > L'9') return false;
        value = value * 10 + (digit - L'0');
    }
    return true;
}

bool KxtPeerParseSwitch(const std::wstring& name, const std::wstring& value, KxtPeerOptions& options,
                        std::wstring& error)
{
    for (const KxtPeerTextSwitch& text : kKxtPeerTextSwitches) {
        if (name == text.name) {
            options.*text.field = value;
            return true;
        }
    }
    if (name == L"--root") {
        options.roots.push_back(value);
        return true;
    }
    if (name == L"--delay-ms" || name == L"--exit-with") {
        DWORD& number = name == L"--delay-ms" ? options.delayMs : options.exitWithProcess;
        if (KxtPeerParseNumber(value, number)) return true;
        error = name + L" needs a number, not '" + value + L"'";
        return false;
    }
    if (name == L"--malformed") {
        if (KxtPeerParseMalformation(value, options.malformation)) return true;
        error = L"unknown kind for --malformed: '" + value + L"'";
        return false;
    }
    error = L"unknown switch " + name;
    return false;
}

}  // namespace

bool KxtPeerParseOptions(const std::vector<std::wstring>& arguments, KxtPeerOptions& options, std::wstring& error)
{
    options = KxtPeerOptions{{},    KXT_PEER_DEFAULT_CLASS, L"", L"", L"", 0, 0, false, false, false, false,
                             false, KXT_PEER_WELL_FORMED};
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::wstring& name = arguments[i];
        bool isFlag = false;
        for (const KxtPeerFlagSwitch& flag : kKxtPeerFlagSwitches) {
            if (name == flag.name) {
                options.*flag.field = true;
                isFlag = true;
            }
        }
        if (isFlag) continue;
        if (name.rfind(L"--", 0) != 0) {
            error = L"unexpected argument '" + name + L"'";
            return false;
        }
        if (i + 1 >= arguments.size()) {
            error = name + L" needs a value";
            return false;
        }
        if (!KxtPeerParseSwitch(name, arguments[++i], options, error)) return false;
    }
    if (options.roots.empty()) {
        error = L"at least one --root is needed";
        return false;
    }
    if (options.windowClass.empty()) {
        error = L"--class needs a name";
        return false;
    }
    return true;
}
