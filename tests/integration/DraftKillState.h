#pragma once

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "core/config/Choice.h"
#include "core/customer/CustomerRecord.h"

// What the kill test's driven window reports after each change, as one line of text.
struct KilledState {
    double time = 0; // milliseconds on the monotonic clock, shared by all processes
    // How much later than asked the change came: the time the program waited for a core.
    double late = 0;
    bool differs = false;
    std::string title;
    int result = 0;
    std::string status;
    std::string price;
    kb::CustomerRecord customer;
    std::string customerFile;
    kb::Choice choice;
};

inline double NowMilliseconds() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline std::string EscapeField(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

inline std::string UnescapeField(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

inline std::string FormatChoice(const kb::Choice& choice) {
    std::string text;
    for (const int index : choice.indexes)
        text += std::to_string(index) + ",";
    return text + (choice.pciChecked ? "P" : "-") + (choice.azoVisible ? "A" : "-") + "|" +
           choice.typedLanguage;
}

inline std::string FormatState(double time, const KilledState& s) {
    std::ostringstream line;
    line.precision(3);
    line << std::fixed << time << '\t' << s.late << '\t' << (s.differs ? 1 : 0) << '\t'
         << EscapeField(s.title) << '\t' << s.result << '\t' << EscapeField(s.status) << '\t'
         << EscapeField(s.price) << '\t' << EscapeField(s.customerFile) << '\t'
         << EscapeField(FormatChoice(s.choice));
    for (const std::string& field : s.customer.fields)
        line << '\t' << EscapeField(field);
    return line.str();
}

// The state of a line that FormatState wrote, with the choice in the text form FormatChoice gives.
struct ParsedState {
    KilledState state;
    std::string choiceText;
};

inline bool ParseState(const std::string& line, ParsedState& parsed) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(UnescapeField(line.substr(start, tab - start)));
        if (tab == std::string::npos)
            break;
        start = tab + 1;
    }
    if (fields.size() != 9 + kb::CustomerRecord::kFieldCount)
        return false;
    KilledState& s = parsed.state;
    s.time = std::stod(fields[0]);
    s.late = std::stod(fields[1]);
    s.differs = fields[2] == "1";
    s.title = fields[3];
    s.result = std::stoi(fields[4]);
    s.status = fields[5];
    s.price = fields[6];
    s.customerFile = fields[7];
    parsed.choiceText = fields[8];
    for (int f = 0; f < kb::CustomerRecord::kFieldCount; ++f)
        s.customer.fields[static_cast<std::size_t>(f)] = fields[static_cast<std::size_t>(9 + f)];
    return true;
}
