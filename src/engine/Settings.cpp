#include "engine/Settings.h"

#include "engine/Enums.h"
#include "engine/SafeFile.h"

#include <tinyxml.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

struct Choice {
    const char* name;
    const char* fallback;
    // Numeric choices take the whole numbers lowest to highest; text choices have lowest > highest.
    int lowest;
    int highest;
};

const Choice kChoices[] = {
    // A level file name; the menu falls back to its first level when the name is no longer listed.
    {"level", "", 1, 0},
    {"gameMode", "1", GM_STORY, GM_KOH},
    {"pointsNeededToWin", "5", 1, 200},
    {"controlMode1", "0", CM_FIVE_KEYS, CM_FOUR_KEYS},
    {"controlMode2", "0", CM_FIVE_KEYS, CM_FOUR_KEYS},
    {"ghostShown", "1", 0, 1},
};

const Choice* findChoice(const std::string& name)
{
    for (const Choice& choice : kChoices)
        if (name == choice.name)
            return &choice;
    return nullptr;
}

// Why `value` cannot be the value of `choice`; "" when it can.
std::string faultOf(const Choice& choice, const std::string& value)
{
    if (choice.lowest > choice.highest)
        return "";
    errno = 0;
    char* end = nullptr;
    long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno != 0 || number < choice.lowest || number > choice.highest)
        return std::string(choice.name) + " \"" + value + "\" is not a whole number from " +
               std::to_string(choice.lowest) + " to " + std::to_string(choice.highest);
    return "";
}

constexpr const char* kRootName = "Settings";

} // namespace

void Settings::open(const std::string& file)
{
    path = file;
    values.clear();
    changed = false;
    damaged = false;
    for (const Choice& choice : kChoices)
        values[choice.name] = choice.fallback;
    if (path.empty() || !pathExists(path))
        return;

    TiXmlDocument document;
    std::string fault;
    if (!document.LoadFile(path)) {
        fault = std::string("unreadable (") + document.ErrorDesc() + ", line " + std::to_string(document.ErrorRow()) +
                "); all choices are back at their defaults";
    } else if (!document.RootElement() || document.RootElement()->ValueStr() != kRootName) {
        fault = std::string("no \"") + kRootName + "\" element; all choices are back at their defaults";
    } else {
        const TiXmlElement* root = document.RootElement();
        for (const Choice& choice : kChoices) {
            const char* text = root->Attribute(choice.name);
            if (!text)
                continue;
            std::string why = faultOf(choice, text);
            if (why.empty())
                values[choice.name] = text;
            else
                fault += (fault.empty() ? "" : ", ") + why;
        }
        if (!fault.empty())
            fault += "; back at the default";
    }
    if (!fault.empty()) {
        damaged = true;
        std::fprintf(stderr, "zorbel: %s: %s (the file is kept as a .bak backup at the next save)\n", path.c_str(),
                     fault.c_str());
    }
}

void Settings::save()
{
    if (path.empty() || !(changed || damaged))
        return;
    std::string why;
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !makeDirectories(path.substr(0, slash), why)) {
        std::fprintf(stderr, "zorbel: %s: %s; the choices are not kept\n", path.c_str(), why.c_str());
        return;
    }
    // The line at reading already told the player; the backup keeps what they may want back.
    if (damaged && pathExists(path) && keepAsBackup(path, why).empty()) {
        std::fprintf(stderr, "zorbel: %s: the damaged file %s; the choices are not kept\n", path.c_str(), why.c_str());
        return;
    }

    TiXmlDocument document;
    document.LinkEndChild(new TiXmlDeclaration("1.0", "", ""));
    TiXmlElement* root = new TiXmlElement(kRootName);
    for (const Choice& choice : kChoices)
        root->SetAttribute(choice.name, values[choice.name]);
    document.LinkEndChild(root);
    TiXmlPrinter printer;
    document.Accept(&printer);
    if (!writeFileAtomically(path, printer.Str(), why)) {
        std::fprintf(stderr, "zorbel: %s: %s; the choices are not kept\n", path.c_str(), why.c_str());
        return;
    }
    changed = false;
    damaged = false;
}

std::string Settings::getText(const std::string& name) const
{
    auto it = values.find(name);
    if (it != values.end())
        return it->second;
    const Choice* choice = findChoice(name);
    return choice ? choice->fallback : "";
}

int Settings::getInt(const std::string& name) const
{
    return std::atoi(getText(name).c_str());
}

void Settings::set(const std::string& name, const std::string& value)
{
    const Choice* choice = findChoice(name);
    std::string why = choice ? faultOf(*choice, value) : "there is no choice called \"" + name + "\"";
    if (!why.empty()) {
        std::fprintf(stderr, "zorbel: settings: %s; not kept\n", why.c_str());
        return;
    }
    if (getText(name) != value) {
        values[name] = value;
        changed = true;
    }
}
