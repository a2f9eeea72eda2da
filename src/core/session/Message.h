#pragma once

#include <string>

namespace kb {

// What the core has to tell the user; the widgets show it in the standard message
// box ("Fehler", "Warnung" or "Information").
struct Message {
    enum class Kind { Information, Warning, Error };
    enum class Buttons { Ok, AbortIgnore };

    Kind kind = Kind::Error;
    std::string text;
    Buttons buttons = Buttons::Ok;

    static Message Error(std::string text) { return {Kind::Error, std::move(text), Buttons::Ok}; }
    static Message Warning(std::string text) { return {Kind::Warning, std::move(text), Buttons::Ok}; }
    static Message Information(std::string text) { return {Kind::Information, std::move(text), Buttons::Ok}; }
};

} // namespace kb
