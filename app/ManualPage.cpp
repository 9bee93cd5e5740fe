// Makes the manual pages mayorin(1), Japanese and English, and the bash completion at build time:
// a hand-written template for the prose, the command line's option table for every option, the 設定
// menu's option table for every setting, and the D-Bus interface as the toolkit's tool reads it from
// the remote control's header.
//
//   mayorin_manual page ja|en TEMPLATE INTROSPECTION.xml VERSION DATE OUT
//   mayorin_manual completion TEMPLATE OUT
//
// A template line that is only "@SYNOPSIS@", "@OPTIONS@", "@NOTES@", "@SETTINGS@" or "@DBUS@"
// becomes that part; "@VERSION@", "@DATE@" and "@WORDS@" are replaced where they stand.

#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/CommandOptions.h"
#include "persist/Options.h"

namespace {

using mayorin::app::CommandNote;
using mayorin::app::CommandOption;
using mayorin::app::kCommandNotes;
using mayorin::app::kCommandOptions;

std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from <= text.size()) {
        const auto end = text.find('\n', from);
        lines.emplace_back(text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
        if (end == std::string_view::npos) {
            break;
        }
        from = end + 1;
    }
    return lines;
}

// Text as roff reads it literally: backslashes and dashes escaped, no request at a line's start.
std::string roff(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) {
        out.insert(0, "\\&");
    }
    return out;
}

// A synopsis with its options bold, its values italic and its brackets plain.
std::string synopsisRoff(std::string_view synopsis) {
    std::string out;
    std::string word;
    auto flush = [&] {
        if (!word.empty()) {
            out += (word[0] == '-' ? "\\fB" : "\\fI") + roff(word) + "\\fR";
            word.clear();
        }
    };
    for (const char c : synopsis) {
        if (c == '[' || c == ']' || c == '|' || c == ' ') {
            flush();
            out += c;
        } else {
            word += c;
        }
    }
    flush();
    return out;
}

// The methods of the introspection data, in roff: "Name(s arg, b arg) → s".
std::vector<std::string> methodsOf(const std::string& xml) {
    std::vector<std::string> methods;
    static const std::regex kMethod(R"re(<method name="([^"]+)">([\s\S]*?)</method>)re");
    static const std::regex kArg(R"re(<arg(?: name="([^"]*)")? type="([^"]+)" direction="(in|out)"/>)re");
    for (std::sregex_iterator m(xml.begin(), xml.end(), kMethod), end; m != end; ++m) {
        std::string in;
        std::string out;
        const std::string body = (*m)[2];
        for (std::sregex_iterator a(body.begin(), body.end(), kArg); a != end; ++a) {
            if ((*a)[3] == "in") {
                in += (in.empty() ? "" : ", ") + std::string((*a)[2]) + " " + std::string((*a)[1]);
            } else {
                out = (*a)[2];
            }
        }
        methods.push_back(roff((*m)[1].str() + "(" + in + ")") + (out.empty() ? "" : " \\(-> " + out));
    }
    return methods;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string replaced(std::string text, const std::string& mark, const std::string& by) {
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at + by.size())) {
        text.replace(at, mark.size(), by);
    }
    return text;
}

struct Page {
    bool english;
    std::vector<std::string> dbusMethods;
};

// The lines a template's part mark stands for.
std::vector<std::string> part(const std::string& mark, const Page& page) {
    std::vector<std::string> out;
    if (mark == "@SYNOPSIS@") {
        out.push_back(".nf");
        out.push_back("\\fBmayorin\\fR");
        for (const CommandOption& option : kCommandOptions) {
            out.push_back("\\fBmayorin\\fR " + synopsisRoff(page.english ? option.synopsisEn : option.synopsis));
        }
        out.push_back(".fi");
    } else if (mark == "@OPTIONS@") {
        for (const CommandOption& option : kCommandOptions) {
            out.push_back(".TP");
            out.push_back(synopsisRoff(page.english ? option.synopsisEn : option.synopsis));
            out.push_back(".br"); // the text below the option also where the option is short
            std::string text;
            for (const std::string& line : linesOf(page.english ? option.textEn : option.text)) {
                text += (page.english && !text.empty() ? " " : "") + line;
            }
            out.push_back(roff(text));
            out.push_back(".RS");
            out.push_back(page.english ? "Example:" : "例:");
            out.push_back(".nf");
            for (const std::string& example : linesOf(option.examples)) {
                out.push_back(roff(example));
            }
            out.push_back(".fi");
            out.push_back(".RE");
        }
    } else if (mark == "@NOTES@") {
        for (const CommandNote& note : kCommandNotes) {
            out.push_back(".PP");
            out.push_back(roff(page.english ? note.textEn : note.text));
        }
    } else if (mark == "@SETTINGS@") {
        for (const mayorin::persist::OptionRow& row : mayorin::persist::kOptionTable) {
            const std::string value = row.byDefault ? "True" : "False";
            out.push_back(".TP");
            out.push_back(std::string("\\fB") + row.caption + "\\fR");
            out.push_back(page.english
                              ? roff(std::string(row.english) + " Key " + row.key + ", " + value + " by default.")
                              : roff(std::string("キー ") + row.key + "、初期値 " + value + "。"));
        }
    } else if (mark == "@DBUS@") {
        // One method a line; a long one goes on, further in, on the next.
        out.push_back(".RS");
        out.push_back(".nr mj \\n(.j");
        out.push_back(".ad l");
        out.push_back(".in +4n");
        for (const std::string& method : page.dbusMethods) {
            out.push_back(".ti -4n");
            out.push_back(method);
            out.push_back(".br");
        }
        out.push_back(".in");
        out.push_back(".ad \\n(mj");
        out.push_back(".RE");
    } else {
        throw std::runtime_error("unknown part " + mark);
    }
    return out;
}

std::string manualPage(const std::string& templateText, const Page& page) {
    std::string out;
    for (const std::string& line : linesOf(templateText)) {
        if (line.size() > 2 && line.front() == '@' && line.back() == '@') {
            for (const std::string& l : part(line, page)) {
                out += l + "\n";
            }
        } else {
            out += line + "\n";
        }
    }
    if (!out.empty() && templateText.back() != '\n') {
        out.pop_back();
    }
    return out;
}

// Every option any row's synopsis names, in the order they first come.
std::string completionWords() {
    std::string words;
    static const std::regex kOptionWord("--[a-z]+");
    for (const CommandOption& option : kCommandOptions) {
        const std::string synopsis(option.synopsis);
        for (std::sregex_iterator w(synopsis.begin(), synopsis.end(), kOptionWord), end; w != end; ++w) {
            if ((" " + words + " ").find(" " + w->str() + " ") == std::string::npos) {
                words += (words.empty() ? "" : " ") + w->str();
            }
        }
    }
    return words;
}

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 7 && args[0] == "page" && (args[1] == "ja" || args[1] == "en")) {
            const Page page{args[1] == "en", methodsOf(readFile(args[3]))};
            std::string text = manualPage(readFile(args[2]), page);
            writeFile(args[6], replaced(replaced(text, "@VERSION@", args[4]), "@DATE@", args[5]));
            return 0;
        }
        if (args.size() == 3 && args[0] == "completion") {
            writeFile(args[2], replaced(readFile(args[1]), "@WORDS@", completionWords()));
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "mayorin_manual: " << e.what() << "\n";
        return 1;
    }
    std::cerr << "usage: mayorin_manual page ja|en TEMPLATE INTROSPECTION VERSION DATE OUT\n"
                 "       mayorin_manual completion TEMPLATE OUT\n";
    return 2;
}
